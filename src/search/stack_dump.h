// A diagnostic dump of one search thread's explicit stack.
#pragma once

#include "search/context.h"

// Logs every level of the stack of `c` (the first search thread when null), naming the caller.
void stack_dump(const CpuContext* c, const char* function, const char* file, int line);
// The context of the calling search thread; null on other threads.
extern thread_local CpuContext* current_context;
