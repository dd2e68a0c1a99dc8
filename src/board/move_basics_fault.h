// What make_move does when the position is corrupt (a king about to be captured).
#pragma once

#include "board/position.h"

[[noreturn]] void report_king_capture(const Position& p, Move move);

// Called after the report to add what the board cannot know (the search stack).
using KingCaptureHook = void (*)();
void set_king_capture_hook(KingCaptureHook hook);
