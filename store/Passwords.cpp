#include "Passwords.h"
