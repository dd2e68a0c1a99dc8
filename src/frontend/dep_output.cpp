#include "frontend/dep_output.h"

#include <algorithm>
#include <cstdio>

#include "board/notation.h"
#include "frontend/game.h"
#include "frontend/output.h"

namespace {

void print_record(const IterationRecord& record, int number) {
    char line[DEP_LINE_SIZE];
    format_dep_mainline(line, game_position, record, number);
    out_print("%s", line);
}

void send_move(const Position& before, const IterationRecord& best, bool /*resign*/) {
    char move[16];
    m_sprint(move, before, best.pv[0], MTT_COORD);
    out_print("$ move %s\n", move);
}

}  // namespace

int format_dep_mainline(char* buffer, const Position& root, const IterationRecord& record,
                        int number) {
    char label[16] = "";
    if (number > 0) std::snprintf(label, sizeof label, "%d", number);
    char moves[DEP_LINE_SIZE];
    int length = write_move_list(moves, root, record.pv, std::clamp(record.pv_length, 0, MAX_PV),
                                 MTT_LONG, false);
    if (length > 0) moves[length - 1] = '\0';  // the blank after the last move
    const int white_score = root.turn == WHITE ? record.score : -record.score;
    const int64_t us = record.elapsed_us;
    const double nps = us > 0 && record.nodes > 0 ? double(record.nodes) * 1e6 / double(us) : 0;
    length = std::snprintf(buffer, DEP_LINE_SIZE,
                           "$ mainline%s %.0f %d %d %llu \"%s\" %.0f %.0lf\n", label,
                           double(us / 10000), record.iteration, white_score * 10,
                           (unsigned long long)record.nodes, moves, nps, double(record.tb_hits));
    return std::min(length, DEP_LINE_SIZE - 1);
}

ProtocolHooks dep_hooks() { return {print_record, nullptr, send_move}; }
