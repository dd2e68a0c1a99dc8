// What the fuzz targets share: the failure report and the position consistency check.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/position.h"

// A broken rule is a finding: libFuzzer keeps the input that aborted.
inline void require(bool holds, const char* rule) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", rule);
    std::abort();
}

// Every view, counter and key of `p` equals what a rebuild from its board array gives, and
// the board is one a game can hold (the test suite's expect_consistent, as one answer).
inline bool position_consistent(const Position& p) {
    Position rebuilt = p;
    setup_from_board(rebuilt);
    if (std::memcmp(&p, &rebuilt, offsetof(Position, ep_square)) != 0) return false;
    for (int c = BLACK; c <= WHITE; ++c) {
        if (p.king_sq[c] != rebuilt.king_sq[c] || p.pawn_count[c] != rebuilt.pawn_count[c] ||
            p.minor_count[c] != rebuilt.minor_count[c] || p.major_count[c] != rebuilt.major_count[c] ||
            p.piece_count[c] != rebuilt.piece_count[c])
            return false;
        if (popcount(p.pieces[piece_of(KING, c)]) != 1 || p.pawn_count[c] > 8 ||
            p.board[p.king_sq[c]] != piece_of(KING, c))
            return false;
    }
    return (p.all_pawns & (RANK_1 | RANK_8)) == 0 && p.mat_balance == rebuilt.mat_balance;
}
