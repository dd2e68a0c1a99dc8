#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>

#include "common/log.h"
#include "common/search_stats.h"
#include "platform/thread.h"

namespace {

// Every test process logs into one file of its own; tests look for their own markers in it.
FILE* main_log;
char main_log_path[] = "/tmp/tarvo_log_test_XXXXXX";

class MainLog : public ::testing::Environment {
  public:
    void SetUp() override {
        int fd = mkstemp(main_log_path);
        ASSERT_GE(fd, 0);
        main_log = fdopen(fd, "w");
        game_add_log(main_log);
    }
    void TearDown() override {
        std::fclose(main_log);
        std::remove(main_log_path);
    }
};

const auto* const main_log_environment =
    ::testing::AddGlobalTestEnvironment(new MainLog);  // gtest owns it

std::string read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(Log, PrintAndWriteReachTheLogAndReturnTheirLength) {
    EXPECT_EQ(log_print("set_option():           %s = %.0lf\n", "hash", 64.0), 34);
    EXPECT_EQ(log_write("a ready line\n"), 13);
    std::string text = read_file(main_log_path);
    EXPECT_NE(text.find("set_option():           hash = 64\na ready line\n"), std::string::npos);
}

TEST(Log, MessageLongerThanTheBufferIsCut) {
    std::string long_text(LOG_BUFFER_SIZE + 500, 'q');
    EXPECT_EQ(log_print("%s", long_text.c_str()), LOG_BUFFER_SIZE - 1);
    log_write("\n");
    std::string text = read_file(main_log_path);
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
    std::string text = read_file(main_log_path);
    EXPECT_NE(text.find(message), std::string::npos);
    EXPECT_NE(text.find("after the refusal\n"), std::string::npos);
    EXPECT_EQ(std::ftell(refused), 0);
    // Every registered file got the same lines.
    for (FILE* file : extra) EXPECT_GT(std::ftell(file), long(message.size()));
}

namespace {

constexpr int LINES_PER_THREAD = 3000;

void log_many_lines(void* arg) {
    int id = *static_cast<int*>(arg);
    // Long enough that an unserialised writer would tear lines apart.
    std::string padding(200, char('a' + id));
    for (int i = 0; i < LINES_PER_THREAD; ++i)
        log_print("interleave %d %d %s\n", id, i, padding.c_str());
}

}  // namespace

TEST(Log, MessagesFromManyThreadsDoNotInterleave) {
    constexpr int THREADS = 4;
    Thread threads[THREADS];
    int ids[THREADS];
    for (int t = 0; t < THREADS; ++t) {
        ids[t] = t;
        ASSERT_TRUE(thread_start(threads[t], log_many_lines, &ids[t]));
    }
    for (Thread& thread : threads) thread_join(thread);

    std::istringstream lines(read_file(main_log_path));
    std::map<int, int> next_of_thread;
    std::string line;
    while (std::getline(lines, line)) {
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
    char text[PERCENT_TEXT_SIZE];
    EXPECT_EQ(percent_text(text, 5, 0), 6);
    EXPECT_STREQ(text, "[0.0%]");
    percent_text(text, 0, 0);
    EXPECT_STREQ(text, "[0.0%]");
    percent_text(text, 1, 8);
    EXPECT_STREQ(text, "[12.5%]");
    percent_text(text, 1, 3);
    EXPECT_STREQ(text, "[33.3%]");
    percent_text(text, 7, 7);
    EXPECT_STREQ(text, "[100.0%]");
    // A part larger than the whole (entries written against a small table) still fits.
    percent_text(text, UINT64_MAX, 1);
    EXPECT_EQ(text[0], '[');
    EXPECT_EQ(std::string(text).substr(std::string(text).size() - 2), "%]");
}

TEST(SearchStats, SumAddsCountersKeepsDeepestSeldepthAndLeavesIdleAlone) {
    SearchStats total{};
    SearchStats first{};
    first.nodes = 1000;
    first.tt_hits = 7;
    first.tb_hits = 2;
    first.extra[3] = 5;
    first.idle_iterations = 40;
    first.seldepth = 17;
    SearchStats second{};
    second.nodes = 500;
    second.tt_hits = 3;
    second.extra[3] = 1;
    second.idle_iterations = 90;
    second.seldepth = 23;

    add_search_stats(total, first);
    add_search_stats(total, second);
    EXPECT_EQ(total.nodes, 1500u);
    EXPECT_EQ(total.tt_hits, 10u);
    EXPECT_EQ(total.tb_hits, 2u);
    EXPECT_EQ(total.extra[3], 6u);
    EXPECT_EQ(total.seldepth, 23);
    EXPECT_EQ(total.idle_iterations, 0u);

    add_search_stats(total, first);
    EXPECT_EQ(total.seldepth, 23);
}
