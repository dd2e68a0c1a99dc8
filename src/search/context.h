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
    std::atomic<int> abort;
    int idle;
    int assisting;
    int split_scores[MAX_STACK];
    int best_split;
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
// At every search start: counters, stack and ordering tables reset, the game position copied.
void reset_context(CpuContext& c, const Position& game);
Frame* get_free_frame(CpuContext& c);
// Hands a frame back to its owner's pool; `c` is the calling thread's context.
void return_frame(CpuContext& c, Frame* frame);
