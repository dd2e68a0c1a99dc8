// Protocol output: formatted into one buffer and sent once per turn of the main loop.
#pragma once

constexpr int OUTPUT_BUFFER_SIZE = 1 << 20;

struct OutputBuffer {
    char data[OUTPUT_BUFFER_SIZE];
    int fill;
};

extern OutputBuffer output_buffer;

// printf-style, appended to the output buffer; text beyond the space left is cut off. Returns
// the number of characters added.
int out_print(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Sends the whole buffer to standard output, or to the remote peer, and empties it. Returns 1, or 0 on a write error.
int flush_output();
