// King shelter from the pawns around each king and around the castle squares. Computes
// nothing yet: the shelter bytes stay zero.
#include "eval/terms.h"

void compute_shelters(const Position&, PawnKingBlock&) {}
