#include "platform/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

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

// On Linux a priority set for a thread id applies to that thread alone.
void thread_lower_priority() {
    id_t self = id_t(syscall(SYS_gettid));
    errno = 0;
    int now = getpriority(PRIO_PROCESS, self);
    if (errno == 0) setpriority(PRIO_PROCESS, self, now + 1);
}
