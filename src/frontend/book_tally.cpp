#include "frontend/book_tally.h"

#include <algorithm>

namespace {

uint64_t games_of(const MoveTally& t) { return uint64_t(t.wins) + t.draws + t.losses; }

// Counts stop at the top of their 32-bit field instead of wrapping to small numbers.
void add_one(uint32_t& count) {
    if (count != UINT32_MAX) ++count;
}

bool stored_before(const MoveTally& a, const MoveTally& b) {
    if ((a.key & 0xFFFF) != (b.key & 0xFFFF)) return (a.key & 0xFFFF) < (b.key & 0xFFFF);
    if (a.key != b.key) return a.key < b.key;
    if (games_of(a) != games_of(b)) return games_of(a) > games_of(b);
    return a.move < b.move;
}

}  // namespace

void tally_game(BookTally& tally, const PgnGame& game, int max_plies) {
    int plies = std::min({game.ply_count, max_plies, PGN_KEPT_PLIES});
    for (int i = 0; i < plies; ++i) {
        const PgnPly& ply = game.plies[i];
        MoveTally& t = tally.try_emplace({ply.key, ply.move}, MoveTally{ply.key, ply.move, 0, 0, 0}).first->second;
        if (game.result == PGN_DRAW) add_one(t.draws);
        else if ((game.result == PGN_WHITE_WINS) == (ply.side == WHITE)) add_one(t.wins);
        else add_one(t.losses);
    }
}

std::vector<MoveTally> kept_moves(const BookTally& tally, int min_games) {
    std::vector<MoveTally> kept;
    for (const auto& [key, t] : tally)
        if (games_of(t) >= uint64_t(min_games)) kept.push_back(t);
    std::sort(kept.begin(), kept.end(), stored_before);
    return kept;
}
