// Threads: start a routine with one argument, wait for it to end.
#pragma once

#include <pthread.h>

using ThreadRoutine = void (*)(void* arg);

// The record must stay in place from thread_start until thread_join returns.
struct Thread {
    pthread_t handle;
    ThreadRoutine routine;
    void* arg;
};

// Returns 0, or the system's error number when it could not create the thread.
int thread_start(Thread& thread, ThreadRoutine routine, void* arg);
void thread_join(Thread& thread);
// Lowers the calling thread's priority by one step.
void thread_lower_priority();
