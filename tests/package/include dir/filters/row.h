#include "common.h"
#include "taps.h"
