#include "frontend/uci_arguments.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "common/types.h"
#include "frontend/xboard_arguments.h"

namespace {

constexpr int WORD_SIZE = 64;

// Copies the next blank-separated word of `text` into `word` (cut to fit) and moves past it;
// false at the end of the text.
bool next_word(const char*& text, char (&word)[WORD_SIZE]) {
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (*text == '\0') return false;
    int length = 0;
    for (; *text && !std::isspace(static_cast<unsigned char>(*text)); ++text)
        if (length < WORD_SIZE - 1) word[length++] = *text;
    word[length] = '\0';
    return true;
}

// Milliseconds as seconds, within a year either side of 0; false for no finite number.
bool read_milliseconds(const char* word, double& seconds) {
    char* end;
    double value = std::strtod(word, &end);
    if (end == word || !std::isfinite(value)) return false;
    seconds = std::clamp(value / 1000, -MAX_TIME_SECONDS, MAX_TIME_SECONDS);
    return true;
}

bool read_whole(const char* word, long& value) {
    char* end;
    value = std::strtol(word, &end, 10);
    return end != word;
}

// The value word of a parameter, applied to `go`.
void read_value(const char* parameter, const char* word, int side, GoArguments& go) {
    const bool white = side == WHITE;
    double seconds;
    long whole;
    if (std::strcmp(parameter, white ? "wtime" : "btime") == 0) {
        if (read_milliseconds(word, seconds)) {
            go.remaining = seconds;
            go.has_remaining = true;
        }
    } else if (std::strcmp(parameter, white ? "winc" : "binc") == 0) {
        if (read_milliseconds(word, seconds)) go.increment = seconds;
    } else if (std::strcmp(parameter, "movestogo") == 0) {
        // No moves left to the control still leaves this one to play.
        if (read_whole(word, whole)) go.moves_to_go = int(std::clamp(whole, 1L, 2000L));
    } else if (std::strcmp(parameter, "depth") == 0) {
        go.depth_limit = read_depth_limit(word);
    } else if (std::strcmp(parameter, "movetime") == 0) {
        // A negative time would read as "no fixed time".
        if (read_milliseconds(word, seconds)) go.fixed = std::max(seconds, 0.0);
    }
}

bool takes_value(const char* word) {
    static const char* const WITH_VALUE[] = {"wtime", "btime",  "winc",  "binc",    "movestogo",
                                             "depth", "nodes",  "mate",  "movetime"};
    return std::any_of(std::begin(WITH_VALUE), std::end(WITH_VALUE),
                       [&](const char* name) { return std::strcmp(word, name) == 0; });
}

// The trimmed text from `begin` up to `end`, cut to `size` - 1 characters.
void copy_trimmed(const char* begin, const char* end, char* out, int size) {
    while (begin < end && std::isspace(static_cast<unsigned char>(*begin))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(end[-1]))) --end;
    size_t length = std::min(size_t(end - begin), size_t(size - 1));
    std::memcpy(out, begin, length);
    out[length] = '\0';
}

}  // namespace

void read_go_arguments(const char* text, int side_to_move, GoArguments& go) {
    char word[WORD_SIZE];
    while (next_word(text, word)) {
        if (std::strcmp(word, "ponder") == 0) {
            go.ponder = true;
        } else if (std::strcmp(word, "infinite") == 0) {
            go.infinite = true;
        } else if (takes_value(word)) {
            char value[WORD_SIZE];
            if (!next_word(text, value)) return;
            read_value(word, value, side_to_move, go);
        }
    }
}

int read_setoption(const char* text, char* name, char* value, int size) {
    const char* name_tag = std::strstr(text, "name");
    const char* value_tag = std::strstr(text, "value");
    if (!name_tag || (value_tag && value_tag < name_tag)) return -1;
    const char* name_start = name_tag + 4;
    if (!value_tag) {
        copy_trimmed(name_start, name_start + std::strlen(name_start), name, size);
        std::snprintf(value, size_t(size), "0");
        return 0;
    }
    copy_trimmed(name_start, value_tag, name, size);
    const char* value_start = value_tag + 5;
    copy_trimmed(value_start, value_start + std::strlen(value_start), value, size);
    return 0;
}
