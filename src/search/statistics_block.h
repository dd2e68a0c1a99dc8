// The statistics block logged after each search.
#pragma once

#include <cstdint>

#include "common/search_stats.h"

// Idle-loop iterations per second, to turn the idle counts into seconds.
constexpr uint64_t IDLE_TIMER_DEFAULT = 1000000;
extern uint64_t idletimer;

// Logs the block for a search that ran `elapsed_us` and counted `total` over all threads;
// nothing when no node was counted.
void print_search_stats(const SearchStats& total, int64_t elapsed_us);
