// Command input: the bytes received and not yet consumed, and the lines cut from them.
#pragma once

#include "platform/input_poll.h"

constexpr int INPUT_BUFFER_SIZE = 1 << 20;
constexpr int LINE_SIZE = 4096;  // a command line holds at most LINE_SIZE - 1 characters

struct InputBuffer {
    char data[INPUT_BUFFER_SIZE];
    int fill;
    // A line too long for the whole buffer is being thrown away up to its newline.
    bool discarding;
    bool ended;  // the input has ended: nothing more will arrive
};

extern InputBuffer input_buffer;

// Polls the connection once (standard input, or the remote peer's socket), waiting at most
// `timeout_ms`, and appends what arrived. Returns the byte
// count, 0 when nothing arrived, or -1 at end of input or on a read error, and from then on
// -1 without reading again. A line that would overflow the buffer is dropped whole; the buffer
// is never written past.
int read_input(InputBuffer& in, int timeout_ms = INPUT_POLL_TIMEOUT_MS);
// Moves the first complete line (newline included, cut to size - 1 characters) into `line`
// and removes the whole line from the buffer. Returns 0 when no complete line is waiting.
int next_input_line(InputBuffer& in, char* line, int size);
// Ends a last line that arrived without its newline, so that it is still handled.
void terminate_partial_line(InputBuffer& in);
// Removes trailing white space in place; returns a pointer past the leading white space.
char* trim(char* text);
