#include "platform/thread.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

void* run_routine(void* record) {
    Thread* thread = static_cast<Thread*>(record);
    thread->routine(thread->arg);
    return nullptr;
}

}  // namespace

int thread_start(Thread& thread, ThreadRoutine routine, void* arg) {
    thread.routine = routine;
    thread.arg = arg;
    return pthread_create(&thread.handle, nullptr, run_routine, &thread);
}

void thread_join(Thread& thread) { pthread_join(thread.handle, nullptr); }

void lower_own_priority() {
    // On Linux a thread's nice value is its own, named by its thread id.
    pid_t self = gettid();
    setpriority(PRIO_PROCESS, id_t(self), getpriority(PRIO_PROCESS, id_t(self)) + 1);
}
