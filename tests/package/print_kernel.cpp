#include "print_kernel.c"
