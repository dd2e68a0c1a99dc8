// Reading a descriptor (standard input: pipe, file or terminal) without waiting long.
#pragma once

constexpr int INPUT_POLL_TIMEOUT_MS = 20;
// While a search runs the loop turns faster, so a search ends close to its time limit.
constexpr int SEARCH_POLL_TIMEOUT_MS = 5;
constexpr int INPUT_READ_SIZE = 4096;

// Waits at most `timeout_ms` for `fd` to become readable, then reads at most
// min(size, INPUT_READ_SIZE) bytes into `dest`. Returns the count, 0 when nothing was waiting,
// or -1 at end of file or on a read error. A terminal in line mode becomes readable only when a
// whole line has been typed, so the read never blocks.
int poll_input(int fd, char* dest, int size, int timeout_ms = INPUT_POLL_TIMEOUT_MS);
