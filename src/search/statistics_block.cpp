#include "search/statistics_block.h"

#include <cstdio>

#include "common/log.h"
#include "search/context.h"
#include "search/table_sizing.h"

uint64_t idletimer = IDLE_TIMER_DEFAULT;

namespace {

// Appends to a fixed buffer, never past its end.
struct Text {
    char data[4096];
    int length = 0;

    template <typename... Args>
    void add(const char* format, Args... args) {
        if (length >= int(sizeof data) - 1) return;
        int n = std::snprintf(data + length, sizeof data - size_t(length), format, args...);
        if (n > 0) length = std::min(length + n, int(sizeof data) - 1);
    }
    void share(uint64_t part, uint64_t whole) {
        char percent[PERCENT_TEXT_SIZE];
        percent_text(percent, part, whole);
        add(" %s", percent);
    }
};

unsigned long long u(uint64_t n) { return (unsigned long long)n; }

}  // namespace

void print_search_stats(const SearchStats& s, int64_t elapsed_us) {
    if (s.nodes == 0) return;
    Text t;
    double knps = elapsed_us > 0 ? double(s.nodes) * 1e6 / double(elapsed_us) / 1000 : 0;
    t.add("\nCount: Time: %.3fs, Nodes: %llu Qnodes: %llu", double(elapsed_us) / 1e6, u(s.nodes), u(s.qnodes));
    t.share(s.qnodes, s.nodes);
    t.share(s.qnode_subcount, s.qnodes);
    t.add(", NPS: %.0fK", knps);

    int threads = 0;
    for (CpuContext* c : contexts) threads += c != nullptr;
    t.add("\nHash:  TProbes: %llu", u(s.tt_probes));
    t.share(s.tt_probes, s.nodes);
    t.add(" TPings: %llu", u(s.tt_pings));
    t.share(s.tt_pings, s.tt_probes);
    t.add(" THits: %llu", u(s.tt_hits));
    t.share(s.tt_hits, s.tt_probes);
    t.add(" TUsed: %llu", u(s.tt_used));
    t.share(s.tt_used, uint64_t(threads) * hash_size / 16);

    t.add("\nEHash: KHits %llu", u(s.khash_hits));
    t.share(s.khash_hits, s.khash_probes);
    t.add(" PHits %llu", u(s.phash_hits));
    t.share(s.phash_hits, s.phash_probes);
    t.add(" POverall: %llu", u(s.khash_hits + s.phash_hits));
    t.share(s.khash_hits + s.phash_hits, s.khash_probes);

    t.add("\nExts:  Check: %llu Singular: %llu Mate: %llu One-rep: %llu IID: %llu", u(s.ext_check),
          u(s.ext_singular), u(s.ext_mate), u(s.ext_one_rep), u(s.iid_count));
    t.share(s.iid_count, s.iid_base);
    t.add("\nTB:    Probes: %llu Hits: %llu", u(s.tb_probes), u(s.tb_hits));
    t.share(s.tb_hits, s.tb_probes);
    t.add("\nIdle: ");
    for (CpuContext* c : contexts)
        if (c) t.add(" CPU%d: %.3f", c->cpu, double(c->stats.idle_iterations) / double(idletimer));
    t.add("\n\n");
    log_print("%s", t.data);
}
