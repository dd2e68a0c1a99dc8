#include "frontend/xboard_output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/result_text.h"
#include "common/score_text.h"
#include "frontend/game.h"
#include "frontend/output.h"
#include "search/context.h"

int kibitz = 0;
XboardFlags xboard_flags = {false, false};

namespace {

constexpr int KIBITZ_ALWAYS = 3;
// Room for the longest numbered line of MAX_PV moves.
constexpr int LINE_TEXT_SIZE = 4096;

int64_t centiseconds(int64_t elapsed_us) { return elapsed_us / 10000; }

void print_record(const IterationRecord& record, int /*number*/) {
    if (!xboard_flags.post) return;
    char line[THINKING_LINE_LIMIT + 2];
    format_thinking_line(line, game_position, record);
    out_print("%s", line);
}

// The root moves are the legal moves of the game position, which the search started from.
int root_move_total() {
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(game_position, list, count);
    return count;
}

void print_status(const SearchStatus& status) {
    const CpuContext* first = contexts[0];
    if (!first) return;
    // Thread 0 updates these as it goes; a move number from just before or after is as good.
    Move move = first->root_move;
    int number = first->root_move_number;
    int total = root_move_total();
    out_print("stat01: %.0lf %.0lf %d %d %d %s\n", double(centiseconds(status.elapsed_us)),
              double(status.nodes), status.iteration, std::max(total - number, 0), total,
              move_text(move));
}

void send_kibitz(const Position& before, const IterationRecord& best) {
    int64_t knps = best.elapsed_us > 0 ? int64_t(best.nodes * 1000 / uint64_t(best.elapsed_us)) : 0;
    char line[LINE_TEXT_SIZE];
    write_move_list(line, before, best.pv, best.pv_length, MTT_LONG, true);
    out_print("tellics kibitz %.2f [%d/%d] %lld %s\n", best.score / 100.0, best.iteration,
              best.max_ply, (long long)(knps < 0 ? 0 : knps), line);
}

void send_move(const Position& before, const IterationRecord& best, bool resign) {
    if (resign) {
        out_print("resign\n");
        return;
    }
    char move[16];
    m_sprint(move, before, best.pv[0], MTT_COORD);
    out_print("move %s\n", move);
    int state = game_state();
    if (state != RESULT_INCOMPLETE) out_print("%s {%s}\n", result_short(state), result_text(state));
    if (kibitz_allowed()) send_kibitz(before, best);
}

}  // namespace

int format_thinking_line(char* buffer, const Position& root, const IterationRecord& record) {
    char line[LINE_TEXT_SIZE];
    write_move_list(line, root, record.pv, record.pv_length, MTT_LONG, true);
    char full[LINE_TEXT_SIZE + 128];
    int length = std::snprintf(full, sizeof full, "%d %s %.0f %llu %s\n\n", record.iteration,
                               score_text(record.score, false, false, root.turn),
                               double(centiseconds(record.elapsed_us)),
                               (unsigned long long)record.nodes, line);
    if (length > THINKING_LINE_LIMIT) {
        length = THINKING_LINE_LIMIT;
        full[length++] = '\n';
        full[length] = '\0';
    }
    std::memcpy(buffer, full, size_t(length) + 1);
    return length;
}

bool kibitz_allowed() { return xboard_flags.ics_mode && kibitz >= KIBITZ_ALWAYS; }

ProtocolHooks xboard_hooks() { return {print_record, print_status, send_move}; }
