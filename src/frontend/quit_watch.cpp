#include "frontend/quit_watch.h"

#include <algorithm>
#include <cstring>

#include "frontend/dispatch.h"
#include "frontend/input.h"
#include "platform/clock.h"

namespace {

// The longest single wait: the poll returns early when a line arrives anyway.
constexpr int64_t WAIT_STEP_MS = 100;

struct QuitWatch {
    int new_lines_from;  // the offset in the input buffer where lines arrived since the start
    bool quit_queued;    // a "quit" line already followed the command then
};

QuitWatch watch;

// Whether the dispatcher would cut the line from `line` to `newline` into the command "quit".
bool is_quit_line(const char* line, const char* newline) {
    char text[LINE_SIZE];
    size_t length = std::min<size_t>(size_t(newline - line), LINE_SIZE - 1);
    std::memcpy(text, line, length);
    text[length] = '\0';
    char *command, *args;
    split_line(text, &command, &args);
    return std::strcmp(command, "quit") == 0;
}

const char* next_newline(const char* from, const char* end) {
    return static_cast<const char*>(std::memchr(from, '\n', size_t(end - from)));
}

// Whether a complete "quit" line starts at or after `from`.
bool quit_line_from(const InputBuffer& in, int from) {
    const char* end = in.data + in.fill;
    for (const char* line = in.data + std::min(from, in.fill);;) {
        const char* newline = next_newline(line, end);
        if (!newline) return false;
        if (is_quit_line(line, newline)) return true;
        line = newline + 1;
    }
}

// The offset just past the last complete line: a line still partial may yet become a "quit".
int complete_lines_end(const InputBuffer& in) {
    int end = 0;
    for (const char* n = in.data; (n = next_newline(n, in.data + in.fill)); ++n)
        end = int(n - in.data) + 1;
    return end;
}

bool input_ended(int timeout_ms) { return read_input(input_buffer, timeout_ms) < 0; }

}  // namespace

void begin_quit_watch() {
    watch.new_lines_from = complete_lines_end(input_buffer);
    watch.quit_queued = quit_line_from(input_buffer, 0);
}

bool told_to_quit(int timeout_ms) {
    bool ended = input_ended(timeout_ms);
    return (ended && !watch.quit_queued) || quit_line_from(input_buffer, watch.new_lines_from);
}

void sleep_unless_quit(int64_t ms) {
    const uint64_t deadline = now_us() + uint64_t(std::max<int64_t>(ms, 0)) * 1000;
    for (uint64_t now = now_us(); now < deadline; now = now_us()) {
        int64_t left_ms = int64_t((deadline - now + 999) / 1000);
        if (input_ended(int(std::min(left_ms, WAIT_STEP_MS))) || quit_line_from(input_buffer, 0))
            return;
    }
}
