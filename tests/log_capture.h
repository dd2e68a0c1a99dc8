// The engine's log kept in memory too, for tests that read what it logged.
#pragma once

#include <cstdio>
#include <string>

#include "common/log.h"

inline char* captured_log_text;
inline size_t captured_log_length;

// Once per test program: every later log line also goes to memory.
inline void capture_log() { game_add_log(open_memstream(&captured_log_text, &captured_log_length)); }

// What the log received while `action` ran.
template <class Action>
std::string logged(Action action) {
    std::fflush(nullptr);
    size_t mark = captured_log_length;
    action();
    std::fflush(nullptr);
    return std::string(captured_log_text + mark, captured_log_length - mark);
}
