// What the engine says under XBoard about its searches: thinking lines, "stat01:" status lines,
// its moves with game ends, and kibitzes on a chess server.
#pragma once

#include "board/position.h"
#include "frontend/game_control.h"
#include "search/search_shared.h"

// The `kibitz` option: 0 never, 3 always. Levels 1 and 2 kibitz only against listed opponents,
// and no opponent's name is ever known, so they never do.
extern int kibitz;

struct XboardFlags {
    bool post;      // thinking lines are sent
    bool ics_mode;  // the interface plays on a chess server
};

extern XboardFlags xboard_flags;

constexpr int THINKING_LINE_LIMIT = 400;

// "%d %s %.0f %s %s\n\n": iteration, score, centiseconds, nodes and numbered line from `root`;
// a line longer than the limit is cut there and ends with a newline. `buffer` holds
// THINKING_LINE_LIMIT + 2 bytes. Written with or without `post`; returns the length.
int format_thinking_line(char* buffer, const Position& root, const IterationRecord& record);
// Whether the engine's move is kibitzed.
bool kibitz_allowed();
// The XBoard hooks of game control.
ProtocolHooks xboard_hooks();
