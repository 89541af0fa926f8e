#ifndef COMMON_H
#define COMMON_H

/* Kept as it is: "quotes", a back\slash, a tab	here, ??= and é. */
#define CLAMP_INDEX(x, width) \
    ((x) < 0 ? 0 : ((x) >= (width) ? (width) - 1 : (x)))

#endif
