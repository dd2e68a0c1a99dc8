#include "board/perft.h"

#include "board/attacks.h"
#include "board/movegen.h"
#include "board/t_move_basics.h"

namespace {

struct PerftRun {
    PerftRootReport report;
    PerftStopCheck stop;
    uint32_t moves_to_check;
    bool stopped;
};

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

bool stop_now(PerftRun& run) {
    if (!run.stop || --run.moves_to_check > 0) return run.stopped;
    run.moves_to_check = PERFT_CHECK_INTERVAL;
    run.stopped = run.stopped || run.stop();
    return run.stopped;
}

uint64_t perft_node(Position& p, int depth, int ply, PerftRun& run) {
    if (depth == 0) return 1;
    Move list[MAX_MOVES];
    int count = generate_all(p, list);
    uint64_t total = 0;
    for (int i = 0; i < count && !stop_now(run); ++i) {
        make_move(p, list[i]);
        if (!attacked(p, p.king_sq[p.turn ^ 1], p.turn)) {
            uint64_t below = perft_node(p, depth - 1, ply + 1, run);
            total += below;
            if (ply == 0 && run.report && !run.stopped) run.report(list[i], below);
        }
        unmake_move(p);
    }
    return total;
}

}  // namespace

int perft_max_depth(const Position& p) { return HISTORY_SIZE - 1 - p.hist_top; }

uint64_t perft(Position& p, int depth, PerftRootReport report, PerftStopCheck stop) {
    PerftRun run{report, stop, PERFT_CHECK_INTERVAL, false};
    return perft_node(p, depth, 0, run);
}
