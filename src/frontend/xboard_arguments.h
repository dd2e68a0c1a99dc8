// Reading the argument texts of XBoard commands. Each reader reports a failure by its return
// value and writes nothing then.
#pragma once

#include "common/types.h"

constexpr int MAX_DEPTH_LIMIT = 63;
// What "st inf" stands for: no practical limit.
constexpr double INFINITE_MOVE_SECONDS = 1e10;
// Any other time read, clock or time control, is cut to a year: plenty, and far from the limits
// of the microsecond counts made from it.
constexpr double MAX_TIME_SECONDS = 365.0 * 24 * 3600;

// One time-control period as "level" gives it.
struct LevelArguments {
    int moves;  // moves in the period; 0 for the whole game
    double base_seconds;
    double increment_seconds;
};

// "MPS BASE INC" with BASE in minutes, or "MPS MIN:SEC INC". Returns 0, or -1 when neither
// form reads (negative or non-finite values count as unreadable). Times above a year read as a
// year.
int read_level(const char* text, LevelArguments& level);
// "st": seconds per move (a year at most), or "inf..." for no limit. Returns 0, or -1.
int read_move_seconds(const char* text, double& seconds);
// "sd": the depth limit clamped to 1..63; a text without a number gives 1.
int read_depth_limit(const char* text);
// "time" and "otim": a clock in centiseconds, as seconds within a year either side of 0.
// Returns 0, or -1.
int read_clock_seconds(const char* text, double& seconds);
// "protover": whether the text names version 2 or later.
bool is_protocol_version_2(const char* text);
// Whether the coordinate text ("e7e8q") names the same from-square, to-square and promotion
// piece type as `move`; nothing else of the text is read.
bool names_move(const char* text, Move move);
