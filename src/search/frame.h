// One node of the explicit search stack. Everything a node needs to be resumed, or shared with
// another thread at a split point, lives here rather than on the machine stack.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/types.h"
#include "platform/spin_lock.h"
#include "search/move_picker.h"
#include "search/trans_table.h"

struct CpuContext;

constexpr int MAX_SPLIT_CHILDREN = 32;

// Expected node types.
enum NodeType : int { NODE_ALL = -1, NODE_PV = 0, NODE_CUT = 1 };

struct Frame {
    // Pool and split-point bookkeeping.
    Frame* next;          // free-list link
    Frame* split_parent;  // the enclosing split point of a split point
    CpuContext* owner;    // whose pool holds this frame
    SpinLock lock;        // guards the picker and the best score while the frame is shared
    // Read without a lock by the threads working below; changed under split_tree_lock.
    std::atomic<int32_t> aborted;
    std::atomic<int32_t> workers;  // threads whose stacks pass through this split point
    int32_t joined;                // child split points registered in `children`
    int32_t is_split;
    Frame* children[MAX_SPLIT_CHILDREN];
    int32_t level;  // the stack level, the same in every thread that shares the frame

    MovePicker picker;
    int32_t excluded_count;  // the first entries of the picker's tried list excluded for good

    // What the transposition table said about this node.
    Move tt_move;
    uint64_t nid;  // the thread's node number at entry
    int32_t tt_prev_cut;
    int32_t tt_score;  // relative to this ply
    int32_t tt_depth;  // NO_TT_DEPTH without an entry
    int32_t tt_type;
    int32_t singular;
    int32_t one_reply;
    int32_t mate_threat;
    Move tt_full_move;

    // The node's search state.
    Move best_move;
    int32_t best;
    int32_t lm;  // legal moves searched; -1 on entry
    int32_t scout_low;
    int32_t scout_high;
    int32_t after_first;
    int32_t alpha;
    int32_t beta;
    int32_t depth;
    int32_t pushed_depth;  // quiescence: the depth it was pushed with, before it became 0
    int32_t ply;
    int32_t in_check;
    int32_t node_ext;
    int32_t kind;  // null-move nesting; 1 for internal searches of the same position, 2 at the root
    int32_t no_tt_cut;
    int32_t singular_bound;
    int32_t singular_tries;
    // Children sent back for a re-search by the reduced-move check; at a split point they are
    // several threads' children.
    std::atomic<int32_t> reduced_refusals;
    int8_t base_red;
    int32_t type;
    int32_t ev;  // static evaluation from White's side, NO_EVAL when none
    int32_t ev_stm;
};

// The root searches at ply 0, and so do its internal searches, which are not the root.
inline bool is_root(const Frame& f) { return f.ply == 0 && f.kind == 2; }
