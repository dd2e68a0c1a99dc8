#include "board/perft.h"

#include "board/attacks.h"
#include "board/movegen.h"
#include "board/t_move_basics.h"

namespace {

int generate_all(const Position& p, Move* list) {
    int count = 0;
    if (in_check(p)) {
        gen_evasions(p, list, count);
    } else {
        gen_captures(p, list, count, nullptr, ~Bitboard(0));
        gen_quiet(p, list, count);
    }
    return count;
}

uint64_t perft_node(Position& p, int depth, int ply, PerftRootReport report) {
    if (depth == 0) return 1;
    Move list[MAX_MOVES];
    int count = generate_all(p, list);
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        make_move(p, list[i]);
        if (!attacked(p, p.king_sq[p.turn ^ 1], p.turn)) {
            uint64_t below = perft_node(p, depth - 1, ply + 1, report);
            total += below;
            if (ply == 0 && report) report(list[i], below);
        }
        unmake_move(p);
    }
    return total;
}

}  // namespace

uint64_t perft(Position& p, int depth, PerftRootReport report) {
    return perft_node(p, depth, 0, report);
}

int perft_max_depth(const Position& p) { return HISTORY_SIZE - 1 - p.hist_top; }
