// common.h twice, so -io skips it once; weights.h three includes deep.
#include "common.h"
#include <filters/row.h>
#include "odd $name #1.h"
