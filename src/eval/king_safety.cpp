// The king term: placement while the enemy cannot attack, shelter and attack once it can.
// Scores nothing yet and leaves the king_attack flags as they are.
#include "eval/terms.h"

int king_term(const Position&, EvalInfo&) { return 0; }
