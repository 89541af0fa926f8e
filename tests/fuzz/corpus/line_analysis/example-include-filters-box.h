#ifndef FILTERS_BOX_H
#define FILTERS_BOX_H

#define BOX_RADIUS 1

inline float filter_row(__global const float* src, int x, int y, int width)
{
    float sum = 0.0f;
    for (int i = -BOX_RADIUS; i <= BOX_RADIUS; ++i)
        sum += src[y * width + clamp_coordinate(x + i, width)];
    return sum / (2 * BOX_RADIUS + 1);
}

inline float filter_column(__global const float* src, int x, int y, int width, int height)
{
    float sum = 0.0f;
    for (int i = -BOX_RADIUS; i <= BOX_RADIUS; ++i)
        sum += src[clamp_coordinate(y + i, height) * width + x];
    return sum / (2 * BOX_RADIUS + 1);
}

#endif // FILTERS_BOX_H
