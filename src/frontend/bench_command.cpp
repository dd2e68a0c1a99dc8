#include "frontend/bench_command.h"

#include <cstdio>

#include "board/fen.h"
#include "board/notation.h"
#include "frontend/game_control.h"
#include "frontend/output.h"
#include "frontend/quit_watch.h"
#include "platform/clock.h"
#include "search/search_driver.h"
#include "search/search_shared.h"

// Openings, middlegames, tactics, endgames and mates.
constexpr const char* BENCH_FENS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "rnbqk2r/ppp1bppp/4pn2/3p4/2PP4/2N2N2/PP2PPPP/R1BQKB1R w KQkq - 4 5",
    "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9",
    "r2q1rk1/ppp2ppp/2n1bn2/2b1p3/4P3/2NP1N2/PPPBBPPP/R2QK2R w KQ - 4 8",
    "2rq1rk1/pp1bppbp/3p1np1/4n3/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 7 12",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r2qkbnr/ppp2ppp/2np4/4p2b/2B1P3/2N2N1P/PPPP1PP1/R1BQK2R w KQkq - 1 6",
    "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1",
    "8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - 0 1",
    "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - - 0 1",
    "2br2k1/2q3rn/p2NppQ1/2p1P3/Pp5R/4P3/1P3PPP/3R2K1 w - - 0 1",
    "3r1r1k/1p4pp/p4p2/8/1PQR4/6Pq/P3PP2/2R3K1 b - - 0 1",
    "8/k1b5/P4p2/1Pp2p1p/K1P2P1P/8/3B4/8 w - - 0 1",
    "r3r1k1/5p2/pQ1b2pB/1p6/4p3/6P1/Pq2BP1P/2R3K1 b - - 0 1",
    "2b5/1r6/2kBp1p1/p2pP1P1/2pP4/1pP3K1/1R3P2/8 b - - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "3r2k1/p4ppp/8/8/8/8/PP3PPP/3R2K1 w - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/8/4k3/8/8/4P3/4K3 w - - 0 1",
    "8/8/8/8/8/4k3/8/R3K3 w - - 0 1",
    "1K1k4/1P6/8/8/8/8/r7/2R5 w - - 0 1",
    "8/8/1p1k4/1P6/1P1K4/8/8/8 w - - 0 1",
    "4k3/8/8/8/8/8/8/4KBN1 w - - 0 1",
    "8/5pk1/6p1/8/8/6P1/5PK1/8 w - - 0 1",
    "8/8/8/8/8/k7/2Q5/1K6 w - - 0 1",
    "2k5/8/1K6/8/8/8/8/7R w - - 0 1",
    "8/8/4k3/8/2p5/8/1P6/1K6 w - - 0 1",
};

std::span<const char* const> bench_positions() { return BENCH_FENS; }

namespace {

struct BenchResult {
    uint64_t nodes;
    int64_t elapsed_us;
    Move best;
    int score;
};

// Waits for the search to reach its depth; false when `interrupted` says to give up first.
bool wait_for_depth(BenchInterruption interrupted) {
    while (!search_reached_limit()) {
        if (!interrupted)
            sleep_ms(1);
        else if (interrupted())
            return false;
    }
    return true;
}

// The tables are cleared before the clock starts: the figures are the search's alone. False
// when the search was given up.
bool search_position(const Position& p, int depth, BenchInterruption interrupted,
                     BenchResult& result) {
    request_table_clear();
    search_threads_resize();
    uint64_t start = now_us();
    start_search(p, depth);
    bool reached = wait_for_depth(interrupted);
    SearchStats stats = stop_search();
    if (!reached) return false;
    const IterationRecord& last = search_shared.records[search_shared.record_count - 1];
    result = {stats.nodes, int64_t(now_us() - start), last.pv_length > 0 ? last.pv[0] : NULL_MOVE,
              last.score};
    return true;
}

// As a command, the bench keeps an eye on the input, polling it every millisecond.
bool quit_during_bench() { return told_to_quit(1); }

}  // namespace

void bench_command(const char* args) {
    int depth = 0, threads = 0;
    std::sscanf(args, "%d %d", &depth, &threads);
    if (threads > 0) set_threads(threads);
    begin_quit_watch();
    run_bench(depth, quit_during_bench);
}

void run_bench(int depth, BenchInterruption interrupted) {
    if (depth <= 0) depth = BENCH_DEFAULT_DEPTH;
    uint64_t total_nodes = 0;
    int64_t elapsed_us = 0;
    int index = 0;
    for (const char* fen : bench_positions()) {
        ++index;
        Position p;
        if (read_fen(p, fen) != PARSE_OK) {
            out_print("bench: bad position %d: %s\n", index, fen);
            continue;
        }
        BenchResult r;
        // Given up: the totals of a part would read as a wrong signature.
        if (!search_position(p, depth, interrupted, r)) return;
        total_nodes += r.nodes;
        elapsed_us += r.elapsed_us;
        char move[16];
        m_sprint(move, p, r.best, MTT_COORD);
        out_print("Position %2d: depth %d bestmove %-6s score %6d nodes %llu\n", index, depth, move,
                  r.score, (unsigned long long)r.nodes);
        flush_output();
    }
    int64_t elapsed_ms = elapsed_us / 1000;
    out_print("Total time (ms) : %d\n", int(elapsed_ms));
    out_print("Nodes searched  : %llu\n", (unsigned long long)total_nodes);
    out_print("Nodes/second    : %llu\n",
              (unsigned long long)(elapsed_ms > 0 ? total_nodes * 1000 / uint64_t(elapsed_ms) : 0));
    flush_output();
}
