#include "Deletes.h"
