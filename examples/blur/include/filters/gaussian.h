#ifndef FILTERS_GAUSSIAN_H
#define FILTERS_GAUSSIAN_H

#include "weights.h"

#ifdef BLUR_DELIBERATE_ERROR
/* A typo kept on purpose: "blur --deliberate-error" builds with this, and the log points here. */
inline float filter_weight(int i) { return WEIGHT[i + RADIUS]; }
#endif

#ifndef USE_BOX_FILTER
inline float filter_row(__global const float* src, int x, int y, int width)
{
    float sum = 0.0f;
    for (int i = -RADIUS; i <= RADIUS; ++i)
        sum += WEIGHTS[i + RADIUS] * src[y * width + clamp_coordinate(x + i, width)];
    return sum;
}

inline float filter_column(__global const float* src, int x, int y, int width, int height)
{
    float sum = 0.0f;
    for (int i = -RADIUS; i <= RADIUS; ++i)
        sum += WEIGHTS[i + RADIUS] * src[clamp_coordinate(y + i, height) * width + x];
    return sum;
}
#endif

#endif // FILTERS_GAUSSIAN_H
