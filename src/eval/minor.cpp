// Knights and bishops: placement (also counted in the positional tally) plus structure.
#include "eval/piece_terms.h"
#include "eval/terms.h"

int minor_term(const Position& p, EvalInfo& info) {
    int placement = 0, structure = 0;
    for (int us : {WHITE, BLACK}) {
        const int sign = us == WHITE ? 1 : -1;
        const MinorParts knights = knight_scores(p, info, us);
        const MinorParts bishops = bishop_scores(p, info, us);
        placement += sign * (knights.placement + bishops.placement);
        structure += sign * (knights.structure + bishops.structure + bishop_pair_bonus(p, info, us));
    }
    info.piece_tally += placement;
    return placement + structure;
}
