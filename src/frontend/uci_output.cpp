#include "frontend/uci_output.h"

#include <algorithm>
#include <cstdio>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/t_move_basics.h"
#include "common/settings.h"
#include "frontend/game.h"
#include "frontend/output.h"
#include "search/context.h"
#include "search/search_driver.h"

UciState uci_state = {false};

namespace {

constexpr int PERMILLE = 1000;
constexpr uint64_t SLOT_BYTES = 16;

// "mate N" in moves for the side that mates, "mate -N" for the side mated; "cp N " otherwise,
// whose trailing blank interfaces have always seen before "time".
void write_score(char* buffer, size_t size, int score) {
    if (score >= MATE_BOUND)
        std::snprintf(buffer, size, "mate %d", (MATE + 1 - score) / 2);
    else if (score <= -MATE_BOUND)
        std::snprintf(buffer, size, "mate -%d", (score + MATE) / 2);
    else
        std::snprintf(buffer, size, "cp %d ", score);
}

void print_record(const IterationRecord& record, int number) {
    char line[UCI_LINE_SIZE];
    format_uci_info(line, record, number);
    out_print("%s", line);
}

// The moves thread `c` has made from the root, in coordinates; empty when it has made none.
// The thread goes on meanwhile: a line a move longer or shorter is as good.
void write_current_line(char* buffer, size_t size, const CpuContext& c) {
    const int root = game_position.hist_top;
    const int top = std::clamp(c.position.hist_top, root, HISTORY_SIZE - 1);
    size_t length = 0;
    buffer[0] = '\0';
    // history[k] holds the move that led to the position with hist_top k.
    for (int k = root + 1; k <= top && length + 8 < size; ++k) {
        Move move = c.position.history[k].move;
        if (move == SKIP_MOVE) continue;  // an internal search of the same position
        if (length > 0) buffer[length++] = ' ';
        length += size_t(m_sprint(buffer + length, game_position, move, MTT_COORD));
    }
}

void print_current_lines() {
    char line[UCI_LINE_SIZE];
    for (int cpu = 0; cpu < CURRLINE_THREADS && cpu < MAX_THREADS; ++cpu) {
        const CpuContext* c = contexts[cpu];
        if (!c) continue;
        write_current_line(line, sizeof line, *c);
        if (line[0]) out_print("info currline %d %s\n", cpu + 1, line);
    }
}

uint64_t transposition_bytes() {
    uint64_t bytes = 0;
    for (const CpuContext* c : contexts)
        if (c) bytes += c->trans_share.size;
    return bytes;
}

void print_status(const SearchStatus& status) {
    const CpuContext* first = contexts[0];
    if (!first) return;
    char move[16];
    m_sprint(move, game_position, first->root_move, MTT_COORD);
    out_print("info depth %d seldepth %d nodes %.0lf time %.0lf nps %.0lf currmovenumber %d "
              "currmove %s tbhits %.0lf hashfull %.0lf \n",
              status.iteration, status.max_ply, double(status.nodes),
              double(status.elapsed_us / 1000), double(status.nodes_per_second),
              first->root_move_number, move, double(status.tb_hits),
              double(hash_permille(status.tt_used, transposition_bytes())));
    if (uci_show_curr_line) print_current_lines();
}

void send_move(const Position& before, const IterationRecord& best, bool /*resign*/) {
    send_bestmove(before, &best);
}

// Whether `reply` is legal after `first` in `before`.
bool legal_reply(const Position& before, Move first, Move reply) {
    static Position scratch;
    scratch = before;
    if (!is_legal_move(scratch, first)) return false;
    make_move(scratch, first);
    return is_legal_move(scratch, reply);
}

}  // namespace

int format_uci_info(char* buffer, const IterationRecord& record, int number) {
    char label[32] = "";
    if (number > 0) std::snprintf(label, sizeof label, "multipv %d ", number);
    char score[32];
    write_score(score, sizeof score, record.score);
    const int64_t us = record.elapsed_us;
    const double nps = us > 0 && record.nodes > 0 ? double(record.nodes) * 1e6 / double(us) : 0;
    char pv[UCI_LINE_SIZE];
    write_move_list(pv, game_position, record.pv, std::clamp(record.pv_length, 0, MAX_PV),
                    MTT_COORD, false);
    int length = std::snprintf(buffer, UCI_LINE_SIZE,
                               "info %sdepth %d seldepth %d score %s time %.0f nodes %.0lf nps "
                               "%.0f tbhits %.0lf pv %s\n",
                               label, record.iteration, record.max_ply, score,
                               double(us / 1000), double(record.nodes), nps,
                               double(record.tb_hits), pv);
    return std::min(length, UCI_LINE_SIZE - 1);
}

int hash_permille(uint64_t entries_written, uint64_t table_bytes) {
    uint64_t slots = table_bytes / SLOT_BYTES;
    if (slots == 0) return 0;
    return int(std::min<uint64_t>(entries_written * PERMILLE / slots, PERMILLE));
}

void send_bestmove(const Position& before, const IterationRecord* best) {
    uci_state.answer_owed = false;
    if (!best) {
        out_print("bestmove a1a1\n");
        return;
    }
    char move[16];
    m_sprint(move, before, best->pv[0], MTT_COORD);
    out_print("bestmove %s", move);
    Move first = best->pv[0] & MOVE_IDENTITY_MASK;
    Move reply = best->pv[1] & MOVE_IDENTITY_MASK;
    if (best->pv_length > 1 && legal_reply(before, first, reply)) {
        m_sprint(move, before, reply, MTT_COORD);
        out_print(" ponder %s", move);
    }
    out_print("\n");
}

ProtocolHooks uci_hooks() { return {print_record, print_status, send_move}; }
