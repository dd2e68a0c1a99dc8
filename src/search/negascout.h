// The node search: negascout and quiescence as one loop over the thread's explicit stack.
#pragma once

#include "search/context.h"

// Runs the frame on top of the stack until it is finished and returns its score; -10000 at
// once when the search is stopped.
int negascout(CpuContext& c);
// Pushes a root frame searching to `depth` on an empty stack.
void push_root(CpuContext& c, int depth);
// Whether the search has been told to stop; read by every thread without a lock.
bool search_stopped();
