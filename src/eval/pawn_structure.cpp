// Pawn structure from the pawns alone: files, weak, passed and candidate pawns, structure
// scores. Computes nothing yet: the block stays clear.
#include "eval/terms.h"

void compute_pawn_structure(const Position&, PawnKingBlock&) {}
