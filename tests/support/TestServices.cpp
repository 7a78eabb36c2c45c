#include "TestServices.h"
