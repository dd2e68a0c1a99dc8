// What the node search asks of the table, the evaluation and the move picker, phrased in terms
// of a frame. Keeps the node search itself free of those modules' details.
#pragma once

#include "search/context.h"

// Probes the transposition table into the frame's table fields; true when the node may end
// with the table's score (then in `f.best`). `may_cut` is false where the caller forbids a cutoff.
bool table_probe(CpuContext& c, Frame& f, bool may_cut);
// Stores the finished node.
void table_store(CpuContext& c, Frame& f);
// Fills `f.ev` and `f.ev_stm`; an `f.ev` other than NO_EVAL (from the table probe) is kept.
void evaluate_node(CpuContext& c, Frame& f);

// Starts the picker for a new node: nothing tried yet.
void reset_moves(Frame& f);
// Starts the picker afresh (stage 0). The moves excluded for an ordering search stay excluded;
// the other moves already handed out stay excluded only with `keep_tried`.
void restart_moves(Frame& f, bool keep_tried);
// Excludes a move from this node's picker (an ordering search's already searched moves).
void exclude_move(Frame& f, Move move);
bool is_excluded(const Frame& f, Move move);
// The next move of an ordinary node into `move` and its entry flags; false when none is left.
bool pick_move(CpuContext& c, Frame& f, Move& move, uint32_t& flags);
// The next move of a quiescence node.
bool pick_quiescence_move(CpuContext& c, Frame& f, Move& move);
// The picker's stage, for the history reduction.
int moves_stage(const Frame& f);
// History and killers after a finished node.
void update_ordering(CpuContext& c, Frame& f);
