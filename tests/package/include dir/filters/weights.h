#ifndef FILTERS_WEIGHTS_H
#define FILTERS_WEIGHTS_H

/* three includes deep */
__constant float kWeights[5] = {0.2f, 0.2f, 0.2f, 0.2f, 0.2f};

#endif
