// The log channel: diagnostics go to the registered log files only, never to the interface.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int LOG_SLOTS = 16;
constexpr int LOG_BUFFER_SIZE = 16384;
// Room for any percent_text result.
constexpr int PERCENT_TEXT_SIZE = 48;

// printf-style; writes to every registered log file and flushes each. Returns the length.
int log_print(const char* format, ...) __attribute__((format(printf, 1, 2)));
int log_write(const char* text);
// Like log_print, then the same text on standard error; a non-zero exit_flag ends the process
// with status 1.
int log_fatal(int exit_flag, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Ends the process at once with `status`, after flushing every stream. Static objects are not
// destroyed: search threads may still be waiting on them.
[[noreturn]] void leave_process(int status);
// Registers an open file in the first free slot.
void game_add_log(FILE* file);

// The share of `part` in `whole` as "[12.5%]", or "[0.0%]" when `whole` is 0. `buffer` holds
// PERCENT_TEXT_SIZE bytes. Returns the length.
int percent_text(char* buffer, uint64_t part, uint64_t whole);
