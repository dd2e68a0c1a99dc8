#include "frontend/perft_command.h"

#include "board/notation.h"
#include "board/perft.h"
#include "frontend/game.h"
#include "frontend/integer_argument.h"
#include "frontend/output.h"
#include "frontend/quit_watch.h"
#include "platform/clock.h"

namespace {

// Each root move's count goes out as soon as its subtree is done, so long runs show progress.
void report_root_move(Move move, uint64_t count) {
    out_print("%s: games:%llu\n", move_text(move), (unsigned long long)count);
    flush_output();
}

bool count_abandoned;

bool quit_during_count() { return count_abandoned = told_to_quit(); }

}  // namespace

void perft_command(const char* args) {
    long long depth;
    if (!read_integer_argument(args, depth)) {
        out_print("usage: perft X, where X is the depth to test.\n");
        return;
    }
    // Every ply of the count takes a history entry beyond the game's own moves.
    const int max_depth = perft_max_depth(game_position);
    if (depth < 0 || depth > max_depth) {
        out_print("perft: depth %s is out of range; this position allows 0 to %d.\n", args,
                  max_depth);
        return;
    }
    begin_quit_watch();
    count_abandoned = false;
    uint64_t start = now_us();
    uint64_t total = perft(game_position, int(depth), report_root_move, quit_during_count);
    // A count cut short has no total worth reporting.
    if (count_abandoned) return;
    double seconds = double(now_us() - start) / 1e6;
    double nps = seconds > 0 ? double(total) / seconds : 0.0;
    out_print("total games: %llu; time: %.3lf s; nps: %.3lf\n", (unsigned long long)total, seconds,
              nps);
}
