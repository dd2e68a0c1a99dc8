#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "log_capture.h"
#include "search/hash_table.h"
#include "search/table_sizing.h"
#include "search/trans_table.h"

// A refused allocation must come back as null under the address sanitizer too.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

class HashTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { capture_log(); }
};

TEST_F(HashTableTest, ResizeAllocatesAlignedClearedEntriesAndLogs) {
    hash_table t;
    t.init("Pawn hash", 64, 3);
    EXPECT_EQ(t.entry_for(~0ull), nullptr);
    t.wanted = 1000;  // not a multiple of the entry size
    EXPECT_EQ(logged([&] { t.resize(); }), "hash_table::resize():   Resized hash table \"Pawn hash 3\" to 1000 "
                               "bytes. (15 entries of 64 bytes)\n");
    ASSERT_NE(t.data, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(t.data) % 64, 0u);
    // The high half of the key scales into the entries; the low half plays no part.
    EXPECT_EQ(t.entry_for(0x00000000FFFFFFFFull), t.data);
    EXPECT_EQ(t.entry_for(0x8000000000000000ull), t.data + 7 * 64);
    EXPECT_EQ(t.entry_for(0xFFFFFFFF00000000ull), t.data + 14 * 64);

    std::memset(t.data, 0xAB, 1000);
    unsigned char* before = t.data;
    EXPECT_EQ(logged([&] { t.resize(); }), "");  // the wanted size is already in place
    EXPECT_EQ(t.data, before);
    t.clear();
    EXPECT_EQ(t.data[0] | t.data[999], 0);
    t.wanted = 0;
    t.resize();
    EXPECT_EQ(t.data, nullptr);
    EXPECT_EQ(t.entries, 0u);
}

TEST_F(HashTableTest, RefusedAllocationKeepsTheOldEntries) {
    hash_table t;
    t.init("King hash", 64, 2);
    t.wanted = 4096;
    t.resize();
    t.data[64] = 9;
    t.wanted = 1ull << 60;
    EXPECT_NE(logged([&] { t.resize(); }).find("Couldn't allocate 1152921504606846976 bytes for hash table \"King "
                                   "hash 2\""), std::string::npos);
    EXPECT_EQ(t.size, 4096u);
    EXPECT_EQ(t.wanted, 4096u);
    EXPECT_EQ(t.data[64], 9);
    EXPECT_FALSE(memory_available(1ull << 60));
    EXPECT_TRUE(memory_available(1 << 20));
    t.release();
}

TEST_F(HashTableTest, MemoryIsSplitOverThreadsAndTables) {
    struct Case { uint64_t total; int threads; TableSizes sizes; };
    for (Case c : {Case{1073741824, 4, {228170137, 26843545, 13421772}},
                   Case{0, 2, {16384, 512, 512}},                                    // floors
                   Case{uint64_t(1) << 36, 1, {65488ull << 20, 32 << 20, 16 << 20}}}) {  // caps
        TableSizes s = memory_split(c.total, c.threads);
        EXPECT_EQ(s.hash, c.sizes.hash) << c.total;
        EXPECT_EQ(s.khash, c.sizes.khash) << c.total;
        EXPECT_EQ(s.phash, c.sizes.phash) << c.total;
    }
    EXPECT_EQ(logged([] { split_memory(1073741824, 4); }), "Auto-adjusting 1024.000000MB for 4CPUs\n");
    EXPECT_EQ(hash_size, 228170137u);
    EXPECT_EQ(memory_mode, 1);
    resize_pending = 0;
    table_size_set_by_hand();
    EXPECT_EQ(memory_mode, 0);
    EXPECT_EQ(resize_pending, 1);
}

TEST_F(HashTableTest, ResizePointAppliesSizesClearsAndPublishesTheShare) {
    hash_table tt, king, pawn;
    tt.init("Transposition Table", 64, 5);
    king.init("King hash", 64, 5);
    pawn.init("Pawn hash", 64, 5);
    hash_size = 16384;
    khash_size = 0;
    phash_size = 4096;
    resize_thread_tables(5, tt, king, pawn);
    EXPECT_EQ(tt_shares[5], &tt);
    EXPECT_EQ(tt.entries, 256u);
    EXPECT_EQ(king.data, nullptr);
    pawn.data[100] = 7;
    resize_thread_tables(5, tt, king, pawn);
    EXPECT_EQ(pawn.data[100], 7);  // same size: kept
    pawn.clear_pending = true;
    resize_thread_tables(5, tt, king, pawn);
    EXPECT_EQ(pawn.data[100], 0);
    EXPECT_FALSE(pawn.clear_pending);
    tt_shares[5] = nullptr;
    tt.release();
    pawn.release();
}

}  // namespace
