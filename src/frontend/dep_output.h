// What the engine says under the dep protocol about its searches: "$ mainline" progress lines
// and "$ move". It has no status line.
#pragma once

#include "board/position.h"
#include "frontend/game_control.h"
#include "search/search_shared.h"

constexpr int DEP_LINE_SIZE = 4096;

// "$ mainline[N] TIME DEPTH SCORE NODES \"LINE\" NPS TBHITS\n" for a record of a search from
// `root`: time in centiseconds, the score from White's side in tenths of centipawns, the line
// in long algebraic notation; `number` is its MultiPV line, 0 for none. `buffer` holds
// DEP_LINE_SIZE bytes and a longer line is cut there. Returns the length.
int format_dep_mainline(char* buffer, const Position& root, const IterationRecord& record,
                        int number);
// The dep hooks of game control.
ProtocolHooks dep_hooks();
