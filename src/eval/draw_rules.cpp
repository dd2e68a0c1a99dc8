#include "eval/draw_rules.h"

#include <algorithm>
#include <cstdlib>

#include "eval/endgame.h"

namespace {

constexpr int DRAW_SCALE_TOP = 17;
// Per 128, by the draw counter.
constexpr int draw_scale[DRAW_SCALE_TOP + 1] = {128, 116, 102, 90, 77, 64, 58, 52, 46,
                                                40,  34,  28,  24, 20, 16, 12, 12, 12};

bool draw_rules_apply(const Position& p) {
    return p.piece_count[BLACK] + p.piece_count[WHITE] <= 6 || p.all_pawns == 0;
}

constexpr int DRAW_MATERIAL_THRESHOLD = 500;
constexpr int DRAW_MATERIAL_THRESHOLD_WITH_PAWNS = 300;

// A lead the drawish-ending recognisers leave alone: 500 or more, or 300 (three pawns, or a
// minor piece for a pawn) while the side ahead has a pawn left to queen, which rarely fails.
bool material_decides(const Position& p) {
    const int lead = std::abs(p.mat_balance);
    const int ahead = p.mat_balance > 0 ? WHITE : BLACK;
    return lead >= DRAW_MATERIAL_THRESHOLD ||
           (lead >= DRAW_MATERIAL_THRESHOLD_WITH_PAWNS && p.pawn_count[ahead] > 0);
}

}  // namespace

int scale_by_drawishness(int score, int drawishness) {
    if (drawishness >= DEAD_DRAW) return score > 0 ? 1 : score < 0 ? -1 : 0;
    score = score * draw_scale[std::clamp(drawishness, 0, DRAW_SCALE_TOP)] / 128;
    if (drawishness > 1 && score > 100) return 100 + (score - 100) / 2;
    if (drawishness > 1 && score < -100) return -100 + (score + 100) / 2;
    return score;
}

int damp_advantage(int score, int ceiling) {
    if (ceiling >= NO_DAMPING) return score;
    if (score > ceiling) return score - (score - ceiling) / 2;
    if (score < -ceiling) return score - (score + ceiling) / 2;
    return score;
}

void apply_draw_rules(const Position& p, EvalInfo& info, int strong) {
    info.drawishness = 0;
    if (!draw_rules_apply(p)) return;
    int count = early_draw_count(p, info, strong);
    if (count == 0 && material_decides(p)) return;
    count += late_draw_count(p, info, strong);
    info.score = scale_by_drawishness(info.score, count);
    info.drawishness = count;
}
