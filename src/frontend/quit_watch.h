// Commands that run long (sleep, perft, bench) keep reading the input while they run, so that
// "quit" or the end of input ends the engine promptly. The lines read meanwhile wait in the
// input buffer, in order, for the main loop.
#pragma once

#include <cstdint>

// Marks the start of a count (perft, bench). The lines already waiting are the commands that
// follow it: a "quit" among them, and the end of input behind such a quit, let it finish.
void begin_quit_watch();
// Reads what has arrived, waiting at most `timeout_ms`. True when a "quit" line has arrived
// since begin_quit_watch(), or the input has ended and no "quit" was waiting then.
bool told_to_quit(int timeout_ms = 0);
// Sleeps `ms` milliseconds (a year at most), reading the input meanwhile. A sleep has nothing
// to finish: it ends as soon as any "quit" line waits or the input has ended.
void sleep_unless_quit(int64_t ms);
