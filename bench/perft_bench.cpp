// Perft speed: every leaf is made and unmade (no bulk counting at the last ply).
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/perft.h"

namespace {

struct BenchCase {
    const char* name;
    const char* fen;
    int depth;
    uint64_t expected;
};

constexpr BenchCase CASES[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119060324},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5,
     193690690},
};

}  // namespace

int main() {
    init_attack_tables();
    uint64_t all_leaves = 0;
    double all_seconds = 0;
    for (const BenchCase& c : CASES) {
        Position p;
        if (read_fen(p, c.fen) != 0) return 1;
        auto start = std::chrono::steady_clock::now();
        uint64_t leaves = perft(p, c.depth);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        all_leaves += leaves;
        all_seconds += seconds;
        std::printf("%-9s depth %d: %llu leaves in %.3f s = %.1f M leaves/s%s\n", c.name, c.depth,
                    (unsigned long long)leaves, seconds, leaves / seconds / 1e6,
                    leaves == c.expected ? "" : "  WRONG COUNT");
        if (leaves != c.expected) return 1;
    }
    std::printf("total: %llu leaves in %.3f s = %.1f M leaves/s\n", (unsigned long long)all_leaves,
                all_seconds, all_leaves / all_seconds / 1e6);
    return 0;
}
