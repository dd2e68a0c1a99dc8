// The position record: one plain value with every redundant view of the board, kept up to date
// move by move. Copying a position is a byte copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/types.h"

constexpr int HISTORY_SIZE = 728;

struct HistoryEntry {
    Move move;
    int32_t ep_square;     // as before the move
    int32_t half_moves;    // as before the move
    int32_t castle_flags;  // as before the move
    uint64_t hash_key;     // as before the move
    uint64_t pawn_key;     // as before the move
};

// 16-byte aligned so that make_move can treat each group of four orientations as two SSE words.
struct alignas(16) Position {
    Bitboard pieces[14];  // [BLACK], [WHITE]: all of a colour; [BPAWN..WKING]: one per code
    Bitboard rooks_queens[2];
    Bitboard bishops_queens[2];

    // Occupancy in the four orientations.
    Bitboard all_pieces;
    Bitboard rot_90;
    Bitboard a1h8_diag;
    Bitboard h1a8_diag;
    // Occupancy without rooks and queens (rank/file views) or bishops and queens (diagonal views).
    Bitboard rot0_x;
    Bitboard rot90_x;
    Bitboard a1h8_x;
    Bitboard h1a8_x;
    // Pawns of both colours in the four orientations.
    Bitboard rot0_p;
    Bitboard rot90_p;
    Bitboard a1h8_p;
    Bitboard h1a8_p;

    uint64_t hash_key;
    uint64_t pawn_key;
    Bitboard all_pawns;

    int32_t ep_square;  // 0 when there is none
    int32_t half_moves;
    int32_t castle_flags;
    int32_t turn;
    int32_t board[64];
    int32_t king_sq[3];  // [BLACK], [WHITE], then a scratch slot for non-king moves
    int32_t pawn_count[2];
    int32_t minor_count[2];
    int32_t major_count[2];
    int32_t piece_count[2];
    int32_t mat_balance;
    int32_t move_number;  // game ply count; make_move leaves it alone
    int32_t hist_top;
    HistoryEntry history[HISTORY_SIZE];
};

static_assert(std::is_trivially_copyable_v<Position>);
// make_move updates these groups with vector instructions.
static_assert(offsetof(Position, all_pieces) % 16 == 0 && offsetof(Position, h1a8_diag) ==
              offsetof(Position, all_pieces) + 3 * sizeof(Bitboard));
static_assert(offsetof(Position, rot0_x) % 16 == 0 && offsetof(Position, h1a8_x) ==
              offsetof(Position, rot0_x) + 3 * sizeof(Bitboard));
static_assert(offsetof(Position, rot0_p) % 16 == 0 && offsetof(Position, h1a8_p) ==
              offsetof(Position, rot0_p) + 3 * sizeof(Bitboard));
static_assert(offsetof(Position, minor_count) == offsetof(Position, pawn_count) + 8 &&
              offsetof(Position, major_count) == offsetof(Position, pawn_count) + 16 &&
              offsetof(Position, piece_count) == offsetof(Position, pawn_count) + 24);

// Square mappings of the rotated orientations (bit index of a square in each view).
constexpr int rot90_index(Square s) { return file_of(s) * 8 + rank_of(s); }
constexpr int a1h8_index(Square s) { return ((file_of(s) - rank_of(s)) & 7) * 8 + rank_of(s); }
constexpr int h1a8_index(Square s) {
    return ((file_of(s) + rank_of(s) + 1) & 7) * 8 + (7 - file_of(s));
}

// The start position, with an empty history.
void reset_position(Position& p);
// Rebuilds every view, counter and key from `board`, `ep_square`, `castle_flags` and `turn`.
void setup_from_board(Position& p);
