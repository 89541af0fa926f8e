#ifndef FILTERS_ROW_H
#define FILTERS_ROW_H

#include "common.h"
#include "taps.h"

inline float filter_row(__global const float* src, int x, int width)
{
    float sum = 0.0f;
    for (int k = -TAP_RADIUS; k <= TAP_RADIUS; ++k)
        sum += tap_weight(k) * src[CLAMP_INDEX(x + k, width)];
    return sum;
}

#endif
