// Passed pawns: value by rank, the kings' distances, support, rooks behind. Scores nothing yet.
#include "eval/terms.h"

int passer_term(const Position&, EvalInfo&) { return 0; }
