// Endgame tablebase probes: the tables are opened on a background thread, the search asks them
// about positions with few men.
#pragma once

#include "board/position.h"

// Where Debian's package gaviotatb installs the 3-men tables; folders are separated by ';'.
constexpr const char* DEFAULT_TABLEBASE_PATH = "/usr/share/gaviotatb/gtb4";
constexpr long long DEFAULT_TABLEBASE_CACHE = 8LL << 20;

// Starts initialising the tables found along `path` (folders separated by ';') with a cache of
// `cache_bytes`, on a background thread; a previous initialisation is waited for first. Until
// the new one has finished nothing is probed. Start, wait and stop are called from one thread,
// the front-end's.
void tablebase_start(const char* path, long long cache_bytes);
// Waits until the background initialisation has finished.
void tablebase_wait_ready();
// Waits for the initialisation and frees the tables; nothing is probed afterwards. Runs at the
// process's exit once the tables have been started.
void tablebase_stop();
// The largest number of men (pieces, pawns and kings) for which tables were found.
int tablebase_max_men();
// The distance-to-mate score of `p` from the side to move's view, with the mate counted in
// plies from `p` (MATE - plies for a win, plies - MATE for a loss, 0 for a draw); false when the
// tables do not know the position or the fifty-move rule would draw it before the mate.
bool tablebase_probe(const Position& p, int& score);
