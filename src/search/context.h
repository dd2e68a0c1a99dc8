// A search thread's context: its position, its explicit stack of frames with their pool, its
// hash tables, ordering tables and statistics.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/position.h"
#include "common/search_stats.h"
#include "eval/eval_info.h"
#include "platform/spin_lock.h"
#include "platform/thread.h"
#include "search/frame.h"
#include "search/hash_table.h"
#include "search/history.h"

constexpr int FRAME_POOL_SIZE = 254;
constexpr int MAX_STACK = FRAME_POOL_SIZE;
// Neighbours in the hypercube over the thread numbers: one per bit of the largest number.
constexpr int MAX_LINKS = 16;
// Stack levels that may be offered for a split.
constexpr int SPLIT_LEVELS = 32;

// Flags of a stack entry.
constexpr uint32_t ENTRY_GIVES_CHECK = 1u << 7;
constexpr uint32_t ENTRY_PICKER_MARK = 1u << 6;  // the move meets a threat

// One level of the explicit stack.
struct StackEntry {
    Frame* frame;  // kept between searches, so a level reuses its frame
    Move move;     // the move by which this level was left towards its child
    uint8_t search;  // continuation code: what child was launched, where to resume
    uint32_t flags;
    uint8_t red;     // reduction applied to the child's depth
    int8_t child_depth;
};

struct alignas(64) CpuContext {
    Position position;
    StackEntry frame_stack[MAX_STACK];
    int top;  // newest entry, -1 when empty
    Frame frame_pool[FRAME_POOL_SIZE];
    Frame* free_frames;      // used by the owner only
    Frame* returned_frames;  // handed back by other threads, under return_lock
    SpinLock return_lock;
    Frame* buoy;  // the innermost split point above the thread's work; null for none
    int cpu;
    std::atomic<int> quit;
    std::atomic<int> abort;  // the thread gave up its work and is to become idle
    std::atomic<int> idle;   // looking for a split point to join
    int assisting;           // working under another thread's split point
    std::atomic<int> searching;  // taking part in the current search
    // Parallel search: the neighbours, and the levels they ask this thread to split at, one
    // byte per link slot (0 none).
    CpuContext* links[MAX_LINKS];
    int link_count;  // 0 with one thread: nothing is ever shared
    std::atomic<uint8_t> requests[MAX_LINKS];
    uint16_t split_scores[SPLIT_LEVELS];
    std::atomic<int> best_split;  // score << 16 | level of the best level to split at, 0 for none
    int node_first;  // the threads that share this thread's memory node
    int node_count;
    Move root_move;         // the root move being searched, for the current-move display
    int root_move_number;
    // With several lines: the first moves of the latest lines, tried first at the root.
    RootFirstMove root_first[MAX_ROOT_FIRST];
    int root_first_count;
    hash_table trans_share;
    hash_table king_hash;
    hash_table pawn_hash;
    MoveHistory history;
    SearchStats stats;  // stats.seldepth is the deepest ply reached
    EvalInfo eval_info;
    Thread thread;
};

// One slot per thread number; null where no thread runs.
extern CpuContext* contexts[MAX_THREADS];

CpuContext* create_context(int cpu);
void destroy_context(CpuContext* c);
// At every search start, with every thread parked: counters, stack and ordering tables reset,
// the game position copied. Frames lent to other threads come home: the pool starts full.
void reset_context(CpuContext& c, const Position& game);
Frame* get_free_frame(CpuContext& c);
// Hands a frame back to its owner's pool; `c` is the calling thread's context.
void return_frame(CpuContext& c, Frame* frame);
