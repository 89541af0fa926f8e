// Separable blur over a single-channel image, one work-item per output pixel.
// Joined into one source text with:
//   quillfold -i blur.cl -I include -o blur.joined.cl
#include "image.h"
#include <filters/gaussian.h>

#ifdef USE_BOX_FILTER
#include <filters/box.h>   /* cheaper, blockier */
#endif

__kernel void blur_rows(__global const float* src, __global float* dst, int width, int height)
{
    const int x = get_global_id(0);
    const int y = get_global_id(1);
    if (x >= width || y >= height)
        return;
    dst[pixel_index(x, y, width)] = filter_row(src, x, y, width);
}

__kernel void blur_columns(__global const float* src, __global float* dst, int width, int height)
{
    const int x = get_global_id(0);
    const int y = get_global_id(1);
    if (x >= width || y >= height)
        return;
    dst[pixel_index(x, y, width)] = filter_column(src, x, y, width, height);
}
