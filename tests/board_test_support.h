// Helpers shared by the board tests: positions from FEN, the move lists a node searches, and
// the consistency check of every redundant view against a rebuild from the board array.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/t_move_basics.h"

class BoardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_attack_tables(); }
};

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

inline Position position_from_fen(const std::string& fen) {
    Position p;
    int code = read_fen(p, fen.c_str());
    EXPECT_EQ(code, PARSE_OK) << fen;
    return p;
}

// The FEN `write_fen` gives, checked against the length it reports.
inline std::string fen_of(const Position& p) {
    char buffer[128];
    const int length = write_fen(buffer, p);
    EXPECT_EQ(length, int(std::strlen(buffer)));
    return buffer;
}

inline Position start_position() {
    Position p;
    reset_position(p);
    return p;
}

// Captures (all targets), quiet moves and evasions as the generators give them.
inline std::vector<Move> captures(const Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_captures(p, list, count, nullptr, ~Bitboard(0));
    return {list, list + count};
}

inline std::vector<Move> quiet(const Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_quiet(p, list, count);
    return {list, list + count};
}

inline std::vector<Move> evasions(const Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_evasions(p, list, count);
    return {list, list + count};
}

// Every pseudo-legal move of the side to move: captures, then quiet moves.
inline std::vector<Move> pseudo_legal_moves(const Position& p) {
    std::vector<Move> moves = captures(p), rest = quiet(p);
    moves.insert(moves.end(), rest.begin(), rest.end());
    return moves;
}

// The moves a search node would try: evasions in check, else captures then quiet moves.
inline std::vector<Move> node_moves(const Position& p) {
    return in_check(p) ? evasions(p) : pseudo_legal_moves(p);
}

inline std::vector<Move> legal_moves(Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(p, list, count);
    return {list, list + count};
}

inline bool leaves_king_attacked(const Position& after) {
    return attacked(after, after.king_sq[after.turn ^ 1], after.turn);
}

// Bytes that make/unmake must restore: everything up to and including the used history.
inline size_t used_bytes(const Position& p) {
    return offsetof(Position, history) + sizeof(HistoryEntry) * size_t(p.hist_top + 1);
}

// Equal bit for bit, but for the scratch slot that absorbs the king-square write of other pieces.
inline bool same_position(Position a, Position b) {
    a.king_sq[2] = b.king_sq[2] = 0;
    return a.hist_top == b.hist_top && std::memcmp(&a, &b, used_bytes(a)) == 0;
}

// Every view, counter and key of `p` equals what a rebuild from its board array gives.
inline void expect_consistent(const Position& p) {
    Position rebuilt = p;
    setup_from_board(rebuilt);
    EXPECT_EQ(std::memcmp(&p, &rebuilt, offsetof(Position, ep_square)), 0) << "bitboards or keys differ";
    EXPECT_EQ(p.king_sq[BLACK], rebuilt.king_sq[BLACK]);
    EXPECT_EQ(p.king_sq[WHITE], rebuilt.king_sq[WHITE]);
    for (int c = BLACK; c <= WHITE; ++c) {
        EXPECT_EQ(p.pawn_count[c], rebuilt.pawn_count[c]);
        EXPECT_EQ(p.minor_count[c], rebuilt.minor_count[c]);
        EXPECT_EQ(p.major_count[c], rebuilt.major_count[c]);
        EXPECT_EQ(p.piece_count[c], rebuilt.piece_count[c]);
        EXPECT_EQ(popcount(p.pieces[piece_of(KING, c)]), 1);
        EXPECT_LE(p.pawn_count[c], 8);
        EXPECT_EQ(p.board[p.king_sq[c]], piece_of(KING, c));
    }
    EXPECT_EQ(p.all_pawns & (RANK_1 | RANK_8), 0u);
    EXPECT_EQ(p.mat_balance, rebuilt.mat_balance);
}

// The six public perft positions with their reference counts from depth 1.
struct PerftCase {
    const char* fen;
    std::vector<uint64_t> counts;
};

inline const std::vector<PerftCase>& perft_cases() {
    static const std::vector<PerftCase> cases = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
         {20, 400, 8902, 197281, 4865609, 119060324}},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
         {48, 2039, 97862, 4085603, 193690690}},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238, 674624, 11030083}},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
         {6, 264, 9467, 422333, 15833292}},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
         {44, 1486, 62379, 2103487, 89941194}},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
         {46, 2079, 89890, 3894594, 164075551}},
    };
    return cases;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED_BUILD = true;
#else
constexpr bool SANITIZED_BUILD = false;
#endif
