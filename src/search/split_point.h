// The parallel search: idle threads ask a neighbour to share one of the levels of its stack; the
// owner makes that frame a split point, whose remaining moves the threads then take in turn,
// each searching below it on its own stack. Split points form a tree, so that a cutoff at one
// stops every thread working below it.
#pragma once

#include "platform/spin_lock.h"
#include "search/context.h"

// The counters the parallel search keeps in the spare statistics slots.
constexpr int STAT_SPLITS = 0;
constexpr int STAT_ABORTS = 1;   // threads stopped by a cutoff at a split point
constexpr int STAT_ATTEMPTS = 2;  // turns of the idle loop that looked for work

// Guards the shape of the split-point tree (`split_parent`, `children`, `joined`, `is_split`)
// and the `workers` and `aborted` of every split point. Taken before any frame's lock.
extern SpinLock split_tree_lock;

// Links every thread to its neighbours; with one thread there are none. All threads parked.
void link_threads(int thread_count);

// The split score of the frame `f` at `level` of the thread's stack; recomputes the best level
// to split at, among the levels below `level + 1`, when the score changes.
void update_split_score(CpuContext& c, int level, const Frame& f);

// Node entry of a thread with neighbours: answers the neighbours' requests. False when the
// thread's work was cut off above it: it then has given up its stack and is to become idle.
bool smp_node_entry(CpuContext& c);

// An idle thread looks for work until it has joined a split point or the search stops.
void idle_loop(CpuContext& c);
// A thread that has just joined a split point plays the moves from the root down to it.
void replay_to_split_point(CpuContext& c);

// A split point handed out a move that does not fit the thread's board: the boards of the
// threads sharing it differ. Dumps the stack and ends the program.
[[noreturn]] void illegal_split_point_move(const CpuContext& c, const Frame& f);

// The slot of `frame` among the split point's children; ends the program when it is not there.
int find_child(const Frame& split_point, const Frame* frame);

// The split point `f` at the top of the stack has no moves left. True when this thread was the
// last one working there and goes on to finish the frame alone; otherwise it gives up its stack.
bool leave_split_point(CpuContext& c, Frame& f);
// The thread's split point `f` has failed high: stops every thread below it and waits for them.
// True when the thread goes on to end the node alone; false when its own work was cut off or
// the search stopped.
bool cutoff_at_split_point(CpuContext& c, Frame& f);
// The thread's work has been cut off above it: leaves every split point it works under, hands
// the frames it alone holds back to their owners and takes back its moves.
void release_split_points(CpuContext& c);
