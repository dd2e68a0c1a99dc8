// Writing a whole block to a descriptor (standard output, later a socket).
#pragma once

#include <cstddef>

// Writes all `size` bytes, repeating partial writes. Returns false on a write error.
bool write_all(int fd, const char* data, size_t size);
// A reader that has gone away must show up as a write error, not end the process.
void ignore_broken_pipe_signal();
