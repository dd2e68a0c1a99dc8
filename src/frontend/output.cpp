#include "frontend/output.h"

#include <cstdarg>
#include <cstdio>

#include "frontend/frontend_state.h"
#include "frontend/remote.h"
#include "platform/write_all.h"

OutputBuffer output_buffer;

int out_print(const char* format, ...) {
    char* end = output_buffer.data + output_buffer.fill;
    int room = OUTPUT_BUFFER_SIZE - output_buffer.fill;
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(end, size_t(room), format, args);
    va_end(args);
    if (length < 0) return 0;
    // The last byte of the room holds vsnprintf's terminator, never text.
    int added = length < room ? length : room - 1;
    output_buffer.fill += added;
    return added;
}

int flush_output() {
    const char* data = output_buffer.data;
    size_t size = size_t(output_buffer.fill);
    bool sent = frontend.remote_mode != REMOTE_NONE ? remote_write(data, size) == 0
                                                    : write_all(1, data, size);
    output_buffer.fill = 0;
    return sent ? 1 : 0;
}
