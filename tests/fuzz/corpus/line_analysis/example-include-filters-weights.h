#ifndef FILTERS_WEIGHTS_H
#define FILTERS_WEIGHTS_H

#define RADIUS 2
__constant float WEIGHTS[2 * RADIUS + 1] = { 0.0625f, 0.25f, 0.375f, 0.25f, 0.0625f };

#endif // FILTERS_WEIGHTS_H
