#include "frontend/input.h"

#include <algorithm>
#include <cstring>

#include "common/log.h"
#include "frontend/frontend_state.h"
#include "frontend/remote.h"
#include "platform/clock.h"
#include "platform/input_poll.h"

InputBuffer input_buffer;

namespace {

// Removes the first `count` bytes.
void consume(InputBuffer& in, int count) {
    std::memmove(in.data, in.data + count, size_t(in.fill - count));
    in.fill -= count;
}

const char* find_newline(const InputBuffer& in) {
    return static_cast<const char*>(std::memchr(in.data, '\n', size_t(in.fill)));
}

// Drops what is left of an overlong line, up to and including its newline.
void drop_discarded(InputBuffer& in) {
    const char* newline = find_newline(in);
    if (!newline) {
        in.fill = 0;
        return;
    }
    consume(in, int(newline - in.data) + 1);
    in.discarding = false;
}

int poll_connection(char* dest, int size, int timeout_ms) {
    if (frontend.remote_mode != REMOTE_NONE) return remote_read(dest, size, timeout_ms);
    return poll_input(0, dest, size, timeout_ms);
}

}  // namespace

int read_input(InputBuffer& in, int timeout_ms) {
    // A terminal reports its end only once, and a command that polls the input while it runs
    // may be the one to see it.
    if (in.ended) return -1;
    if (in.fill == INPUT_BUFFER_SIZE) {
        // Complete lines still wait to be handled: read again once they have made room.
        if (find_newline(in)) {
            sleep_ms(timeout_ms);
            return 0;
        }
        log_print("read_input():           dropped a line longer than %d bytes\n",
                  INPUT_BUFFER_SIZE);
        in.fill = 0;
        in.discarding = true;
    }
    int count = poll_connection(in.data + in.fill, INPUT_BUFFER_SIZE - in.fill, timeout_ms);
    if (count > 0) {
        in.fill += count;
        if (in.discarding) drop_discarded(in);
    }
    if (count < 0) in.ended = true;
    return count;
}

int next_input_line(InputBuffer& in, char* line, int size) {
    // A zero byte inside a line only ends its text; it must not stop the search for the
    // newline, or every later line would wait behind it.
    const char* newline = find_newline(in);
    if (!newline) return 0;
    int length = int(newline - in.data) + 1;
    int kept = std::min(length, size - 1);
    std::memcpy(line, in.data, size_t(kept));
    line[kept] = '\0';
    consume(in, length);
    return 1;
}

void terminate_partial_line(InputBuffer& in) {
    if (in.fill == 0 || in.data[in.fill - 1] == '\n') return;
    if (in.fill < INPUT_BUFFER_SIZE) ++in.fill;
    in.data[in.fill - 1] = '\n';
}

char* trim(char* text) {
    constexpr const char* white = " \t\n\v\f\r";
    while (*text && std::strchr(white, *text)) ++text;
    char* end = text + std::strlen(text);
    while (end > text && std::strchr(white, end[-1])) --end;
    *end = '\0';
    return text;
}
