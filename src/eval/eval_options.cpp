#include "eval/eval_options.h"

int eval_passed_pawn_scoring = 128;
int eval_pawn_scoring = 128;
int eval_minor_scoring = 128;
int eval_major_scoring = 128;
int eval_kingsafety_scoring = 128;
int smooth_mobility = 1;
thread_local int forced_phase = -1;

const int phase_table[PHASE_TABLE_SIZE] = {0, 0, 0, 0, 0, 32, 64, 96, 128, 128, 128, 128};
