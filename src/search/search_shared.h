// What the search threads share with each other and with the front-end: the stop flag, the
// iteration, the MultiPV scores and the progress records.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "common/types.h"

constexpr int MAX_RECORDS = 8192;
constexpr int MAX_PV = 128;
constexpr int MAX_ITERATION = 63;
constexpr int MAX_MULTIPV = 127;
constexpr int MATE = 10000;
constexpr int MATE_BOUND = 9500;  // scores beyond this are mates

// One progress report: a completed iteration, or a new best root move inside one.
struct IterationRecord {
    Move root_move;  // NULL_MOVE for a completed iteration
    int32_t pv_length;
    Move pv[MAX_PV];
    uint64_t nodes;
    uint64_t tb_hits;
    uint64_t splits;
    uint64_t aborts;
    int32_t max_ply;
    int64_t elapsed_us;
    int32_t iteration;
    int32_t score;
    int32_t in_search;  // made inside an iteration
};

struct SearchShared {
    std::atomic<int> searching{0};
    std::atomic<int> stop{0};
    std::atomic<int> iteration{1};
    int depth_limit = MAX_ITERATION;
    int last_score = 0;
    Move candidate_move = NULL_MOVE;
    int64_t start_us = 0;

    // Guarded by output_lock.
    std::mutex output_lock;
    int multipv_count = 0;
    int multipv_scores[MAX_MULTIPV];
    IterationRecord records[MAX_RECORDS];
    int record_count = 0;
    int root_trouble = 0;
};

extern SearchShared search_shared;
