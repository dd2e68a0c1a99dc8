#include "frontend/perft_command.h"

#include <cstdio>

#include "board/notation.h"
#include "board/perft.h"
#include "frontend/game.h"
#include "frontend/output.h"
#include "platform/clock.h"

namespace {

// Each root move's count goes out as soon as its subtree is done, so long runs show progress.
void report_root_move(Move move, uint64_t count) {
    out_print("%s: games:%llu\n", move_text(move), (unsigned long long)count);
    flush_output();
}

}  // namespace

void perft_command(const char* args) {
    int depth;
    // A negative depth would never reach the leaves.
    if (std::sscanf(args, "%d", &depth) != 1 || depth < 0) {
        out_print("usage: perft X, where X is the depth to test.\n");
        return;
    }
    uint64_t start = now_us();
    uint64_t total = perft(game_position, depth, report_root_move);
    double seconds = double(now_us() - start) / 1e6;
    double nps = seconds > 0 ? double(total) / seconds : 0.0;
    out_print("total games: %llu; time: %.3lf s; nps: %.3lf\n", (unsigned long long)total, seconds,
              nps);
}
