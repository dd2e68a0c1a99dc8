#include "frontend/xboard_arguments.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/notation.h"

namespace {

// sscanf reads "inf" and "nan" as numbers; neither is a usable time.
bool is_time(double value) { return std::isfinite(value) && value >= 0; }

// An integer prefix, saturated at the limits of int; false when the text starts with none.
bool read_int(const char* text, long& value) {
    char* end;
    value = std::strtol(text, &end, 10);
    return end != text;
}

int promotion_type_of_letter(char c) {
    switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'n': return KNIGHT;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'q': return QUEEN;
        default: return 0;
    }
}

}  // namespace

int read_level(const char* text, LevelArguments& level) {
    double moves, minutes, seconds = 0, increment;
    if (std::sscanf(text, "%lf %lf %lf", &moves, &minutes, &increment) != 3 &&
        std::sscanf(text, "%lf %lf:%lf %lf", &moves, &minutes, &seconds, &increment) != 4)
        return -1;
    // The move count must fit an int before it is cut to one.
    if (!is_time(moves) || moves >= INT_MAX || !is_time(minutes) || !is_time(seconds) ||
        !is_time(increment))
        return -1;
    level = {int(moves), std::min(minutes * 60 + seconds, MAX_TIME_SECONDS),
             std::min(increment, MAX_TIME_SECONDS)};
    return 0;
}

int read_move_seconds(const char* text, double& seconds) {
    if (std::strncmp(text, "inf", 3) == 0) {
        seconds = INFINITE_MOVE_SECONDS;
        return 0;
    }
    double value;
    // A negative time would read as "no fixed time" further on.
    if (std::sscanf(text, "%lf", &value) != 1 || !is_time(value)) return -1;
    seconds = std::min(value, MAX_TIME_SECONDS);
    return 0;
}

int read_depth_limit(const char* text) {
    long depth;
    if (!read_int(text, depth) || depth < 1) return 1;
    return depth > MAX_DEPTH_LIMIT ? MAX_DEPTH_LIMIT : int(depth);
}

int read_clock_seconds(const char* text, double& seconds) {
    double centiseconds;
    // A flagged clock is negative, so only non-finite values are refused.
    if (std::sscanf(text, "%lf", &centiseconds) != 1 || !std::isfinite(centiseconds)) return -1;
    seconds = std::clamp(centiseconds / 100, -MAX_TIME_SECONDS, MAX_TIME_SECONDS);
    return 0;
}

bool is_protocol_version_2(const char* text) {
    long version;
    return read_int(text, version) && version >= 2;
}

bool names_move(const char* text, Move move) {
    if (std::strlen(text) < 4) return false;
    int promotion = text[4] ? promotion_type_of_letter(text[4]) : 0;
    return square_from_text(text) == move_from(move) &&
           square_from_text(text + 2) == move_to(move) &&
           promotion == type_of(move_promotion(move));
}
