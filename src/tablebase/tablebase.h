// Endgame tablebase probes. No tables are configured yet, so no position is ever probed.
#pragma once

#include "board/position.h"

// Starts initialising the tables found along `path` with a cache of `cache_bytes`, on a
// background thread; a previous initialisation is waited for first.
void tablebase_start(const char* path, long long cache_bytes);
// Waits until the background initialisation has finished.
void tablebase_wait_ready();
// The largest number of men (pieces, pawns and kings) for which tables were found.
int tablebase_max_men();
// The distance-to-mate score of `p` from the side to move's view, in the engine's scale;
// false when the tables do not know the position.
bool tablebase_probe(const Position& p, int& score);
