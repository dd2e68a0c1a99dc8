#include <unistd.h>

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/input_poll.h"
#include "platform/spin_lock.h"
#include "platform/thread.h"
#include "platform/write_all.h"

TEST(Clock, WorksNeverGoesBackAndSleepsAtLeastAsAsked) {
    EXPECT_TRUE(clock_works());
    uint64_t previous = now_us();
    for (int i = 0; i < 100000; ++i) {
        uint64_t now = now_us();
        ASSERT_GE(now, previous);
        previous = now;
    }
    uint64_t start = now_us();
    sleep_ms(30);
    uint64_t slept = now_us() - start;
    EXPECT_GE(slept, 30000u);
    EXPECT_LT(slept, 2000000u);

    start = now_us();
    sleep_ms(0);
    sleep_ms(-5);
    EXPECT_LT(now_us() - start, 10000u);
}

TEST(InputPoll, WaitsBrieflyReadsWhatWaitsAndReportsEndOfFile) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    char buffer[8192];
    uint64_t start = now_us();
    EXPECT_EQ(poll_input(fds[0], buffer, sizeof buffer), 0);
    uint64_t waited = now_us() - start;
    EXPECT_GE(waited, 15000u);
    EXPECT_LT(waited, 500000u);

    ASSERT_TRUE(write_all(fds[1], "uci\nisready\n", 12));
    ASSERT_EQ(poll_input(fds[0], buffer, sizeof buffer), 12);
    EXPECT_EQ(std::memcmp(buffer, "uci\nisready\n", 12), 0);

    // One read never takes more than 4096 bytes, nor more than the room given.
    const std::string block(6000, 'x');
    ASSERT_TRUE(write_all(fds[1], block.data(), block.size()));
    EXPECT_EQ(poll_input(fds[0], buffer, 100), 100);
    EXPECT_EQ(poll_input(fds[0], buffer, sizeof buffer), INPUT_READ_SIZE);
    EXPECT_EQ(poll_input(fds[0], buffer, sizeof buffer), 6000 - 100 - INPUT_READ_SIZE);

    // Bytes written before the close are still delivered, then end of file.
    ASSERT_TRUE(write_all(fds[1], "quit\n", 5));
    close(fds[1]);
    EXPECT_EQ(poll_input(fds[0], buffer, sizeof buffer), 5);
    EXPECT_EQ(poll_input(fds[0], buffer, sizeof buffer), -1);
    close(fds[0]);
    EXPECT_EQ(poll_input(fds[0], buffer, sizeof buffer), -1);
}

TEST(WriteAll, ReportsAReaderThatHasGone) {
    ignore_broken_pipe_signal();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    EXPECT_FALSE(write_all(fds[1], "move e2e4\n", 10));
    close(fds[1]);
}

TEST(SpinLock, SerialisesThreadsUnderContention) {
    constexpr int THREADS = 4, ROUNDS = 200000;
    struct Contended {
        SpinLock lock;
        uint64_t counter = 0;  // deliberately not atomic: only the lock protects it
    } shared;
    auto add_under_lock = [](void* arg) {
        auto* s = static_cast<Contended*>(arg);
        for (int i = 0; i < ROUNDS; ++i) {
            spin_lock(s->lock);
            uint64_t seen = s->counter;
            s->counter = seen + 1;
            spin_unlock(s->lock);
        }
    };
    Thread threads[THREADS];
    for (Thread& thread : threads) ASSERT_EQ(0, thread_start(thread, add_under_lock, &shared));
    for (Thread& thread : threads) thread_join(thread);
    EXPECT_EQ(shared.counter, uint64_t(THREADS) * ROUNDS);
    EXPECT_EQ(shared.lock.word.load(), 0u);
}

TEST(Event, ManualResetReleasesEveryWaiterUntilReset) {
    constexpr int THREADS = 3;
    struct Waiters {
        Event start;
        std::atomic<int> passed{0};
    } waiters;
    auto wait_then_count = [](void* arg) {
        auto* w = static_cast<Waiters*>(arg);
        event_wait(w->start);
        w->passed.fetch_add(1);
    };
    Thread threads[THREADS];
    for (Thread& thread : threads) ASSERT_EQ(0, thread_start(thread, wait_then_count, &waiters));
    sleep_ms(50);
    EXPECT_EQ(waiters.passed.load(), 0);
    event_set(waiters.start);
    for (Thread& thread : threads) thread_join(thread);
    EXPECT_EQ(waiters.passed.load(), THREADS);

    // Still set: a later wait returns at once, and again.
    event_wait(waiters.start);
    event_wait(waiters.start);
    event_reset(waiters.start);
    Thread late;
    ASSERT_EQ(0, thread_start(late, wait_then_count, &waiters));
    sleep_ms(50);
    EXPECT_EQ(waiters.passed.load(), THREADS);
    event_set(waiters.start);
    thread_join(late);
    EXPECT_EQ(waiters.passed.load(), THREADS + 1);
}
