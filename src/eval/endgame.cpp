#include "eval/endgame.h"

namespace {

// Neither side can force mate: no pawns, no rooks or queens, at most one minor piece each.
bool no_mating_material(const Position& p) {
    return p.all_pawns == 0 && p.major_count[BLACK] == 0 && p.major_count[WHITE] == 0 &&
           p.minor_count[BLACK] <= 1 && p.minor_count[WHITE] <= 1;
}

}  // namespace

int early_draw_count(const Position&, const EvalInfo&, int) { return 0; }

int late_draw_count(const Position& p, const EvalInfo&, int) {
    return no_mating_material(p) ? DEAD_DRAW : 0;
}

int advantage_ceiling(const Position&, const EvalInfo&, int) { return NO_DAMPING; }
