// Pieces of the node search shared by its files: the step result, the stack operations and the
// continuation codes.
#pragma once

#include "search/context.h"
#include "search/negascout.h"

// What the parent launched, and so where it resumes when the child returns.
enum Continuation : uint8_t {
    CONT_NULL_MOVE = 0,
    CONT_IID = 1,
    CONT_IID_LOWERED = 2,
    CONT_SCOUT = 3,
    CONT_RESEARCH = 4,
    CONT_SINGULAR = 5,
    CONT_ORDERING = 6,
    CONT_PROBE = 7,
    CONT_QUIESCENCE = 8
};

// The outcome of running a frame up to its next stopping point.
struct Step {
    enum Kind { PUSHED, FINISHED, STOPPED } kind;
    int score;
};

constexpr Step PUSHED_CHILD{Step::PUSHED, 0};
constexpr Step STOPPED_SEARCH{Step::STOPPED, -10000};
inline Step finished(int score) { return {Step::FINISHED, score}; }

inline Frame& top_frame(CpuContext& c) { return *c.frame_stack[c.top].frame; }
inline StackEntry& top_entry(CpuContext& c) { return c.frame_stack[c.top]; }
// The frame one level below the top (the node's parent), or null at the bottom.
inline StackEntry* parent_entry(CpuContext& c) { return c.top > 0 ? &c.frame_stack[c.top - 1] : nullptr; }
// The frame of the child just popped (it stays in its level until reused).
inline Frame& child_frame(CpuContext& c) { return *c.frame_stack[c.top + 1].frame; }

// Pushes a child of the top frame, launched with continuation `code`.
void push_child(CpuContext& c, int code, int alpha, int beta, int depth, int kind, int in_check,
                int type);

// Ordinary nodes (depth >= 1).
Step start_node(CpuContext& c, Frame& f);
Step resume_node(CpuContext& c, Frame& f, int code, int child_score);
// Quiescence nodes (depth <= 0).
Step start_quiescence(CpuContext& c, Frame& f);
Step resume_quiescence(CpuContext& c, Frame& f, int child_score);

// The parts of an ordinary node's start that follow a child search launched from it (null move,
// internal searches), and the step from the internal searches to the moves.
Step resume_start(CpuContext& c, Frame& f, int code, int child_score);
Step after_iid(CpuContext& c, Frame& f);

// A thread that has just joined the split point at the top of its stack: its position is
// brought to the split point and it takes the split point's next move.
Step join_split_point(CpuContext& c);

// Makes the picker's next legal move (from the quiescence picker when `quiescence_picker`) on
// top of the stack and records it in the top entry; false when no move is left.
bool make_next_legal(CpuContext& c, Frame& f, bool quiescence_picker);

// Shared by both kinds of node: the stop test, mate distance and draw rules of a node's start.
// Returns true when the node ends at once with `out`.
bool node_ends_early(CpuContext& c, Frame& f, Step& out);
// The node has been searched: mate/stalemate score, table store, ordering update.
Step end_node(CpuContext& c, Frame& f);

