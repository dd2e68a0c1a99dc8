#include <set>

#include "board_test_support.h"
#include "frontend/bench_command.h"
#include "frontend/game_control.h"
#include "platform/clock.h"
#include "search/context.h"
#include "search/search_driver.h"
#include "search/search_shared.h"
#include "search/split_point.h"
#include "search/start_barrier.h"
#include "search/table_sizing.h"
#include "search/trans_table.h"

namespace {

class ParallelSearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        // Small tables: 64 threads clear theirs before every search.
        hash_size = 1 << 20;
        khash_size = 1 << 18;
        phash_size = 1 << 16;
        search_threads_start(1);
    }
    static void TearDownTestSuite() { search_threads_stop(); }
};

// Every frame of every pool is either on its owner's lists or on some thread's stack, and on
// the lists at most once and never while a stack still holds it.
void expect_no_frame_lost(int threads) {
    std::set<const Frame*> held;
    for (int cpu = 0; cpu < threads; ++cpu)
        for (const StackEntry& e : contexts[cpu]->frame_stack)
            if (e.frame) held.insert(e.frame);
    for (int cpu = 0; cpu < threads; ++cpu) {
        const CpuContext& c = *contexts[cpu];
        std::set<const Frame*> listed;
        for (const Frame* list : {c.free_frames, c.returned_frames})
            for (const Frame* f = list; f; f = f->next) {
                EXPECT_TRUE(listed.insert(f).second) << "CPU" << cpu << ": a frame listed twice";
                EXPECT_FALSE(held.count(f)) << "CPU" << cpu << ": a listed frame is still in use";
            }
        int own_held = 0;
        for (const Frame* f : held) own_held += f->owner == &c;
        EXPECT_EQ(int(listed.size()) + own_held, FRAME_POOL_SIZE) << "CPU" << cpu;
    }
}

// After a search every thread is parked at the barrier and none is left in a split point.
void expect_all_parked(int threads) {
    EXPECT_EQ(search_thread_count(), threads);
    EXPECT_EQ(start_barrier.arrivals, threads);
    for (int cpu = 0; cpu < MAX_THREADS; ++cpu) EXPECT_EQ(contexts[cpu] != nullptr, cpu < threads);
    for (int cpu = 0; cpu < threads; ++cpu) EXPECT_EQ(contexts[cpu]->searching.load(), 0) << cpu;
}

struct Outcome {
    int score;
    Move best;
};

uint64_t splits_made = 0;

Outcome search(Position p, int depth) {
    request_table_clear();
    start_search(p, depth);
    while (!search_reached_limit()) sleep_ms(1);
    splits_made += stop_search().extra[STAT_SPLITS];
    const IterationRecord& last = search_shared.records[search_shared.record_count - 1];
    Move best = last.pv_length ? last.pv[0] & MOVE_IDENTITY_MASK : NULL_MOVE;
    EXPECT_TRUE(is_legal_move(p, best)) << "depth " << depth;
    return {last.score, best};
}

TEST_F(ParallelSearchTest, SplitSearchesPlayLegalMovesFindExactMatesAndReturnEveryFrame) {
    struct Mate {
        const char* fen;
        int depth;
        int score;
    } mates[] = {
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 3, 9999},
        {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1", 5, 9997},
        {"4k1r1/2p3r1/1pR1p3/3pP2p/3P2qP/P4N2/1PQ4P/5R1K b - - 0 1", 5, 9997},
        {"k4r2/1R4pb/1pQp1n1p/3P4/5p1P/3P2P1/r1q1R2K/8 w - - 0 1", 7, 9995},
    };
    for (int threads : {2, 3, 8}) {
        set_threads(threads);
        SCOPED_TRACE(testing::Message() << threads << " threads");
        splits_made = 0;
        int index = 0;
        for (const char* fen : bench_positions()) {
            if (index++ % 3) continue;
            search(position_from_fen(fen), 7);
            expect_all_parked(threads);
            expect_no_frame_lost(threads);
        }
        for (const Mate& m : mates) {
            EXPECT_EQ(search(position_from_fen(m.fen), m.depth).score, m.score) << m.fen;
            expect_no_frame_lost(threads);
        }
        EXPECT_GT(splits_made, 0u) << "the threads never shared work";
    }
    set_threads(1);
}

// Threads come and go between searches; a stop reaches every one of many more threads than
// cores, and the move found is still legal.
TEST_F(ParallelSearchTest, ThreadCountsChangeBetweenSearchesAndManyThreadsStillStop) {
    Position p = position_from_fen(bench_positions()[7]);
    for (int threads : {1, 2, 7, 64, 2}) {
        set_threads(threads);
        SCOPED_TRACE(testing::Message() << threads << " threads");
        search(p, 6);
        expect_all_parked(threads);
        expect_no_frame_lost(threads);
    }
    set_threads(64);
    start_search(p, MAX_ITERATION);
    sleep_ms(300);
    stop_search();
    expect_all_parked(64);
    expect_no_frame_lost(64);
    ASSERT_GT(search_shared.record_count, 0);
    const IterationRecord& last = search_shared.records[search_shared.record_count - 1];
    EXPECT_TRUE(is_legal_move(p, last.pv[0] & MOVE_IDENTITY_MASK));
    set_threads(1);
}

}  // namespace
