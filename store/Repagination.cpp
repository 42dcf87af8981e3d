#include "Repagination.h"
