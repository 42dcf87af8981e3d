#pragma once

#include "store/NodeKeys.h"

// The navigation window's name for the node keys every subsystem shares.
namespace NavKeys = NodeKeys;
