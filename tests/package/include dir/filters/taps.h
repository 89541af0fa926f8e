#include <filters/weights.h>
