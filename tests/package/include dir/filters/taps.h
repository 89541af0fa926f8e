#ifndef FILTERS_TAPS_H
#define FILTERS_TAPS_H

#include <filters/weights.h>

#define TAP_RADIUS 2

inline float tap_weight(int k)
{
    return kWeights[k + TAP_RADIUS];
}

#endif
