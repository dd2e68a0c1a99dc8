#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "common/log.h"
#include "common/search_stats.h"
#include "platform/thread.h"
#include "search/context.h"
#include "search/statistics_block.h"
#include "search/table_sizing.h"

namespace {

// Every test process logs into one file of its own; tests look for their own markers in it.
FILE* main_log;

struct MainLog : ::testing::Environment {
    void SetUp() override { game_add_log(main_log = std::tmpfile()); }
};

const auto* const main_log_environment =
    ::testing::AddGlobalTestEnvironment(new MainLog);  // gtest owns it

std::string main_log_text() {
    std::ifstream in("/proc/self/fd/" + std::to_string(fileno(main_log)), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

// Both reach the log and return their length; a message longer than the buffer is cut.
TEST(Log, PrintAndWriteReachTheLogAndLongMessagesAreCut) {
    EXPECT_EQ(log_print("set_option():           %s = %.0lf\n", "hash", 64.0), 34);
    EXPECT_EQ(log_write("a ready line\n"), 13);
    std::string long_text(LOG_BUFFER_SIZE + 500, 'q');
    EXPECT_EQ(log_print("%s", long_text.c_str()), LOG_BUFFER_SIZE - 1);
    log_write("\n");
    std::string text = main_log_text();
    EXPECT_NE(text.find("set_option():           hash = 64\na ready line\n"), std::string::npos);
    EXPECT_NE(text.find(std::string(LOG_BUFFER_SIZE - 1, 'q') + "\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(LOG_BUFFER_SIZE, 'q')), std::string::npos);
}

TEST(Log, SeventeenthRegistrationIsRefusedAndReported) {
    // The environment took the first slot; fill the other fifteen.
    FILE* extra[LOG_SLOTS - 1];
    for (FILE*& file : extra) {
        file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        game_add_log(file);
    }
    FILE* refused = std::tmpfile();
    game_add_log(refused);
    log_print("after the refusal\n");

    const std::string message = "game_add_log(): all 16 logging file handles are already in use!";
    std::string text = main_log_text();
    EXPECT_NE(text.find(message), std::string::npos);
    EXPECT_NE(text.find("after the refusal\n"), std::string::npos);
    EXPECT_EQ(std::ftell(refused), 0);
    // Every registered file got the same lines.
    for (FILE* file : extra) EXPECT_GT(std::ftell(file), long(message.size()));
}

TEST(Log, MessagesFromManyThreadsDoNotInterleave) {
    constexpr int THREADS = 4, LINES_PER_THREAD = 3000;
    auto log_many_lines = [](void* arg) {
        const int id = *static_cast<int*>(arg);
        // Long enough that an unserialised writer would tear lines apart.
        const std::string padding(200, char('a' + id));
        for (int i = 0; i < LINES_PER_THREAD; ++i)
            log_print("interleave %d %d %s\n", id, i, padding.c_str());
    };
    Thread threads[THREADS];
    int ids[THREADS] = {0, 1, 2, 3};
    for (int t = 0; t < THREADS; ++t) ASSERT_EQ(0, thread_start(threads[t], log_many_lines, &ids[t]));
    for (Thread& thread : threads) thread_join(thread);

    std::istringstream lines(main_log_text());
    std::map<int, int> next_of_thread;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("interleave ", 0) != 0) continue;
        int id, index;
        char rest[256];
        int fields = std::sscanf(line.c_str(), "interleave %d %d %255s", &id, &index, rest);
        ASSERT_EQ(fields, 3) << line;
        ASSERT_EQ(std::string(rest), std::string(200, char('a' + id))) << line;
        // Each thread's lines arrive whole and in its own order.
        ASSERT_EQ(index, next_of_thread[id]++);
    }
    for (int t = 0; t < THREADS; ++t) EXPECT_EQ(next_of_thread[t], LINES_PER_THREAD);
}

TEST(PercentText, SharesAndTheZeroWhole) {
    const std::pair<uint64_t, uint64_t> shares[] = {{5, 0}, {0, 0}, {1, 8}, {1, 3}, {7, 7}};
    const char* texts[] = {"[0.0%]", "[0.0%]", "[12.5%]", "[33.3%]", "[100.0%]"};
    char text[PERCENT_TEXT_SIZE];
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(percent_text(text, shares[i].first, shares[i].second), int(std::strlen(texts[i])));
        EXPECT_STREQ(text, texts[i]);
    }
    // A part larger than the whole (entries written against a small table) still fits.
    const int length = percent_text(text, UINT64_MAX, 1);
    EXPECT_EQ(text[0], '[');
    EXPECT_STREQ(text + length - 2, "%]");
}

// Every counter is summed (a field left out of the sum shows here), the deepest seldepth is
// kept, and the per-thread idle count is left alone.
TEST(SearchStats, SumAddsEveryCounterKeepsDeepestSeldepthAndLeavesIdleAlone) {
    constexpr size_t COUNTERS = offsetof(SearchStats, idle_iterations) / sizeof(uint64_t);
    uint64_t first_counts[COUNTERS], second_counts[COUNTERS], total_counts[COUNTERS];
    for (size_t i = 0; i < COUNTERS; ++i) {
        first_counts[i] = i + 1;
        second_counts[i] = 1000 * (i + 1);
    }
    SearchStats total{}, first{}, second{};
    std::memcpy(&first, first_counts, sizeof first_counts);
    std::memcpy(&second, second_counts, sizeof second_counts);
    first.idle_iterations = 40;
    first.seldepth = 17;
    second.idle_iterations = 90;
    second.seldepth = 23;
    add_search_stats(total, first);
    add_search_stats(total, second);
    add_search_stats(total, first);
    std::memcpy(total_counts, &total, sizeof total_counts);
    for (size_t i = 0; i < COUNTERS; ++i) EXPECT_EQ(total_counts[i], 1002 * (i + 1)) << i;
    EXPECT_EQ(total.seldepth, 23);
    EXPECT_EQ(total.idle_iterations, 0u);
}

TEST(SearchStats, BlockLayoutAndNothingForASearchWithoutNodes) {
    SearchStats s{};
    s.nodes = 2000, s.qnodes = 500, s.qnode_subcount = 50;
    s.tt_probes = 1000, s.tt_pings = 400, s.tt_hits = 100, s.tt_used = 256;
    s.khash_hits = 30, s.khash_probes = 60, s.phash_hits = 45, s.phash_probes = 90;
    s.ext_check = 1, s.ext_singular = 2, s.ext_mate = 3, s.ext_one_rep = 4;
    s.iid_count = 5, s.iid_base = 20, s.tb_probes = 8, s.tb_hits = 2;
    const uint64_t saved_hash_size = hash_size;
    hash_size = 16 * 1024;  // one thread's table holds 1024 entries
    contexts[3] = create_context(3);
    contexts[3]->stats.idle_iterations = 2500000;

    const size_t before = main_log_text().size();
    print_search_stats(s, 2000000);
    EXPECT_EQ(main_log_text().substr(before),
              "\nCount: Time: 2.000s, Nodes: 2000 Qnodes: 500 [25.0%] [10.0%], NPS: 1K"
              "\nHash:  TProbes: 1000 [50.0%] TPings: 400 [40.0%] THits: 100 [10.0%] TUsed: 256 [25.0%]"
              "\nEHash: KHits 30 [50.0%] PHits 45 [50.0%] POverall: 75 [125.0%]"
              "\nExts:  Check: 1 Singular: 2 Mate: 3 One-rep: 4 IID: 5 [25.0%]"
              "\nTB:    Probes: 8 Hits: 2 [25.0%]"
              "\nIdle:  CPU3: 2.500\n\n");

    s.nodes = 0;
    const size_t after = main_log_text().size();
    print_search_stats(s, 2000000);
    EXPECT_EQ(main_log_text().size(), after);

    destroy_context(contexts[3]);
    contexts[3] = nullptr;
    hash_size = saved_hash_size;
}
