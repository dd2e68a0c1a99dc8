// What the engine says under UCI about its searches: info lines, the status line with the
// current move (and each thread's current line), and "bestmove".
#pragma once

#include <cstdint>

#include "board/position.h"
#include "frontend/game_control.h"
#include "search/search_shared.h"

constexpr int UCI_LINE_SIZE = 4096;
// Threads whose current line the status shows.
constexpr int CURRLINE_THREADS = 16;

struct UciState {
    bool answer_owed;  // a "go" has had no "bestmove" yet
};

extern UciState uci_state;

// "info [multipv N ]depth ... pv ...\n" for a progress record; `number` is its MultiPV line,
// 0 for none. `buffer` holds UCI_LINE_SIZE bytes and a longer line is cut there. Returns the
// length.
int format_uci_info(char* buffer, const IterationRecord& record, int number);
// The transposition table's fill in permille from the entries written and the bytes of all its
// shares (16 bytes a slot); writes over written slots count too, so it is capped at 1000.
int hash_permille(uint64_t entries_written, uint64_t table_bytes);
// "bestmove" with the record's first move and, when its second move is legal after the first,
// "ponder" with that; "bestmove a1a1" without a record. The answer is no longer owed.
void send_bestmove(const Position& before, const IterationRecord* best);
// The UCI hooks of game control.
ProtocolHooks uci_hooks();
