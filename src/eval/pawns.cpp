// The pawn term: the cached structure scores blended by the pawn phase, blocked centre pawns,
// pawn endings. Scores nothing yet.
#include "eval/terms.h"

int pawn_term(const Position&, EvalInfo&) { return 0; }
