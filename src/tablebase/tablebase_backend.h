// What a tablebase format provides, so that the rest of the engine does not depend on one.
#pragma once

#include "common/types.h"

// The position as the tables see it: the side to move, every man of each colour and the
// en-passant square.
struct TablebaseQuery {
    int turn;
    Square ep_square;  // 0 when there is none
    int count[2];      // men of [BLACK] and [WHITE], kings included
    Square squares[2][16];
    int types[2][16];  // PAWN .. KING
};

enum TablebaseOutcome { TB_OUTCOME_UNKNOWN, TB_OUTCOME_DRAW, TB_OUTCOME_WIN, TB_OUTCOME_LOSS };

struct TablebaseBackend {
    const char* name;
    const char* file_suffix;  // the table files are the names ending in it
    // Opens the tables in `folders` with a cache of `cache_bytes`; returns the largest number
    // of men covered, 0 for none (with the reason logged when the tables were not the cause).
    int (*open)(const char* const* folders, int folder_count, long long cache_bytes);
    // Frees everything `open` took; harmless when nothing is open.
    void (*close)();
    // The outcome for the side to move, and the plies to mate for a win or a loss.
    TablebaseOutcome (*probe)(const TablebaseQuery& query, int& plies);
};

extern const TablebaseBackend gaviota_backend;
