#include "search/table_sizing.h"

#include <algorithm>

#include "common/log.h"
#include "search/trans_table.h"

uint64_t hash_size = HASH_DEFAULT;
uint64_t khash_size = KHASH_DEFAULT;
uint64_t phash_size = PHASH_DEFAULT;
uint64_t memory_size;
int memory_mode;
int resize_pending = 1;

namespace {

constexpr uint64_t MIN_HASH_TOTAL = 1024;
constexpr uint64_t MIN_TT_SHARE = 16384;

void apply(hash_table& table, uint64_t bytes) {
    table.wanted = bytes;
    table.resize();
    if (table.clear_pending) table.clear();
    table.clear_pending = false;
}

}  // namespace

TableSizes memory_split(uint64_t total, int threads) {
    uint64_t n = uint64_t(std::max(threads, 1));
    uint64_t pawn_total = std::max(std::min(total / 20, n << 24), MIN_HASH_TOTAL);
    uint64_t king_total = std::max(std::min(total / 10, n << 25), MIN_HASH_TOTAL);
    uint64_t rest = total > pawn_total + king_total ? total - pawn_total - king_total : 0;
    return {std::max(rest / n, MIN_TT_SHARE), king_total / n, pawn_total / n};
}

void table_size_set_by_hand() {
    memory_mode = 0;
    resize_pending = 1;
}

void split_memory(uint64_t total, int threads) {
    log_print("Auto-adjusting %lfMB for %dCPUs\n", double(total) / 1048576.0, std::max(threads, 1));
    TableSizes sizes = memory_split(total, threads);
    hash_size = sizes.hash;
    khash_size = sizes.khash;
    phash_size = sizes.phash;
    memory_mode = 1;
    resize_pending = 1;
}

void resize_thread_tables(int cpu, hash_table& tt_share, hash_table& king_hash, hash_table& pawn_hash) {
    apply(tt_share, hash_size);
    apply(king_hash, khash_size);
    apply(pawn_hash, phash_size);
    tt_shares[cpu] = &tt_share;
}
