// Candidate passed pawns, scored against the enemy king's file. Scores nothing yet.
#include "eval/terms.h"

void add_candidate_scores(const Position&, PawnKingBlock&) {}
