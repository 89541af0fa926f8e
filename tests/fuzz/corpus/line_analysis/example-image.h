#ifndef IMAGE_H
#define IMAGE_H

/* Row-major addressing with clamping at the borders. */
inline int pixel_index(int x, int y, int width)
{
    return y * width + x;
}

inline int clamp_coordinate(int v, int size)
{
    return v < 0 ? 0 : (v >= size ? size - 1 : v);
}

#endif // IMAGE_H
