#include "common/settings.h"

int scorepov = 0;
int print_singular_moves = 0;
int enable_mate_extension = 0;
