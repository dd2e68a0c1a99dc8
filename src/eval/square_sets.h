// The fixed square sets that the evaluation reads, and colour-relative views of the square
// records, so that each rule is written once for White and read through its colour for Black.
// The sets are compile-time constants: nothing to initialise, nothing to get out of order.
#pragma once

#include <array>
#include <cstdlib>

#include "board/attacks.h"
#include "common/types.h"
#include "eval/pawn_king_block.h"

namespace square_set_detail {

// Files f0..f1 by ranks r0..r1 (0-based), clipped to the board.
constexpr Bitboard box(int f0, int f1, int r0, int r1) {
    Bitboard b = 0;
    for (int f = f0 < 0 ? 0 : f0; f <= f1 && f < 8; ++f)
        for (int r = r0 < 0 ? 0 : r0; r <= r1 && r < 8; ++r) b |= square_bit(square_at(f, r));
    return b;
}

// Squares named like "g1", run together: "f1g1h1".
constexpr Bitboard named(const char* names) {
    Bitboard b = 0;
    for (; names[0] && names[1]; names += 2)
        b |= square_bit(square_at(names[0] - 'a', names[1] - '1'));
    return b;
}

// The diagonal from `from` to `to`, both included.
constexpr Bitboard diagonal(const char* from, const char* to) {
    int f = from[0] - 'a', r = from[1] - '1';
    const int tf = to[0] - 'a', tr = to[1] - '1';
    const int df = tf > f ? 1 : -1, dr = tr > r ? 1 : -1;
    Bitboard b = square_bit(square_at(f, r));
    while (f != tf) b |= square_bit(square_at(f += df, r += dr));
    return b;
}

}  // namespace square_set_detail

using square_set_detail::box;
using square_set_detail::named;

// Corner blocks of 2 x 3, triangles and 2 x 2 blocks: where bishops and kings get shut in.
constexpr Bitboard F6_H7 = box(5, 7, 5, 6), F2_H3 = box(5, 7, 1, 2);
constexpr Bitboard A2_C3 = box(0, 2, 1, 2), A6_C7 = box(0, 2, 5, 6);
constexpr Bitboard A1_TRIANGLE = named("a1b1a2"), H1_TRIANGLE = named("g1h1h2");
constexpr Bitboard A8_TRIANGLE = named("a7a8b8"), H8_TRIANGLE = named("h7g8h8");
constexpr Bitboard A1_B2 = box(0, 1, 0, 1), G1_H2 = box(6, 7, 0, 1);
constexpr Bitboard A7_B8 = box(0, 1, 6, 7), G7_H8 = box(6, 7, 6, 7);
// Where a rook is shut in by its own king or pawns.
constexpr Bitboard ROOK_TRAP_A2 = named("a2b2a3a4"), ROOK_TRAP_H2 = named("g2h2h3h4");
constexpr Bitboard ROOK_TRAP_A7 = named("a5a6a7b7"), ROOK_TRAP_H7 = named("h5h6g7h7");
constexpr Bitboard ROOK_TRAP_RANK_1 = named("b1g1a2h2"), ROOK_TRAP_RANK_8 = named("a7h7b8g8");

// The centre and the rings around it.
constexpr Bitboard CENTRE = box(3, 4, 3, 4);      // d4-e5
constexpr Bitboard BIG_CENTRE = box(2, 5, 2, 5);  // c3-f6
constexpr Bitboard C3_F5 = box(2, 5, 2, 4), C4_F6 = box(2, 5, 3, 5);
constexpr Bitboard B3_G6 = box(1, 6, 2, 5), B1_G8 = box(1, 6, 0, 7);
constexpr Bitboard D5_E7 = box(3, 4, 4, 6), D2_E4 = box(3, 4, 1, 3);

// Where a castled king lives, by colour and wing ([colour][CastleWing] order of the block:
// king side first).
constexpr Bitboard WHITE_KING_SIDE_AREA = named("f1g1h1f2g2h2g3h3");
constexpr Bitboard WHITE_QUEEN_SIDE_AREA = named("a1b1c1a2b2c2a3b3");
constexpr Bitboard BLACK_KING_SIDE_AREA = named("f8g8h8f7g7h7g6h6");
constexpr Bitboard BLACK_QUEEN_SIDE_AREA = named("a8b8c8a7b7c7a6b6");

// Edges of the board.
constexpr Bitboard RANK_1_FILE_H = RANK_1 | FILE_H, FILE_A_RANK_8 = FILE_A | RANK_8;
constexpr Bitboard RANK_1_FILE_A = RANK_1 | FILE_A, FILE_H_RANK_8 = FILE_H | RANK_8;

// The long diagonals, named by their ends.
namespace diagonals {
using square_set_detail::diagonal;
constexpr Bitboard A4_E8 = diagonal("a4", "e8"), D1_H5 = diagonal("d1", "h5");
constexpr Bitboard H3_C8 = diagonal("h3", "c8"), F1_A6 = diagonal("f1", "a6");
constexpr Bitboard A2_G8 = diagonal("a2", "g8"), B1_H7 = diagonal("b1", "h7");
constexpr Bitboard H1_A8 = diagonal("h1", "a8"), E1_A5 = diagonal("e1", "a5");
constexpr Bitboard H4_D8 = diagonal("h4", "d8"), A3_F8 = diagonal("a3", "f8");
constexpr Bitboard C1_H6 = diagonal("c1", "h6"), G1_A7 = diagonal("g1", "a7");
constexpr Bitboard H2_B8 = diagonal("h2", "b8"), A1_H8 = diagonal("a1", "h8");
}  // namespace diagonals

constexpr Bitboard FILES_E_TO_H = box(4, 7, 0, 7), FILES_A_TO_D = box(0, 3, 0, 7);

// Square colours, indexed like the bishop-colour pawn weights of the block.
constexpr Bitboard DARK_SQUARE_SET = 0xAA55AA55AA55AA55ull;  // a1, c1, ...: file + rank even
constexpr Bitboard LIGHT_SQUARE_SET = ~DARK_SQUARE_SET;
constexpr Bitboard SHADE_SQUARES[2] = {LIGHT_SQUARE_SET, DARK_SQUARE_SET};  // [SquareShade]
constexpr int shade_of(Square s) { return (DARK_SQUARE_SET >> s) & 1; }

// Per king file: the three back-rank squares in front of the king's pawns, b to g centred,
// [colour][file].
constexpr auto KING_SHELTER_SQUARES = [] {
    std::array<std::array<Bitboard, 8>, 2> t{};
    for (int f = 0; f < 8; ++f) {
        const int centre = f < 1 ? 1 : f > 6 ? 6 : f;
        t[WHITE][f] = box(centre - 1, centre + 1, 0, 0);
        t[BLACK][f] = box(centre - 1, centre + 1, 7, 7);
    }
    return t;
}();

// Per king file: the files of its wing.
constexpr auto WING_FILES = [] {
    std::array<Bitboard, 8> t{};
    for (int f = 0; f < 8; ++f) {
        const int low = f <= 2 ? 0 : f == 3 ? 2 : f == 4 ? 3 : 5;
        t[f] = box(low, low + 2, 0, 7);
    }
    return t;
}();

// Per colour and king rank: the ranks around it, and for a king on its first three ranks
// everything behind it down to its back rank, [colour][rank].
constexpr auto RANK_BANDS = [] {
    std::array<std::array<Bitboard, 8>, 2> t{};
    for (int r = 0; r < 8; ++r) {
        t[WHITE][r] = box(0, 7, r <= 2 ? 0 : r - 1, r + 1);
        t[BLACK][r] = box(0, 7, r - 1, r >= 5 ? 7 : r + 1);
    }
    return t;
}();

constexpr int file_distance(Square a, Square b) { return std::abs(file_of(a) - file_of(b)); }
constexpr int rank_distance(Square a, Square b) { return std::abs(rank_of(a) - rank_of(b)); }
// King steps from a to b.
constexpr int distance(Square a, Square b) {
    const int f = file_distance(a, b), r = rank_distance(a, b);
    return f > r ? f : r;
}

// Colour-relative views: White's rules read through `colour` for either side.
constexpr Square relative_square(Square s, int colour) { return colour == WHITE ? s : s ^ 56; }
// Rank counted from the colour's own back rank, 0-based.
constexpr int relative_rank(Square s, int colour) {
    return colour == WHITE ? rank_of(s) : 7 - rank_of(s);
}
constexpr int pawn_push(int colour) { return colour == WHITE ? 8 : -8; }
constexpr Bitboard shift_forward(Bitboard b, int colour) {
    return colour == WHITE ? b << 8 : b >> 8;
}

// Every square of `b` and all the squares ahead of them on their files, for `colour`.
constexpr Bitboard fill_forward(Bitboard b, int colour) {
    if (colour == WHITE) {
        b |= b << 8, b |= b << 16;
        return b | b << 32;
    }
    b |= b >> 8, b |= b >> 16;
    return b | b >> 32;
}
constexpr Bitboard fill_backward(Bitboard b, int colour) { return fill_forward(b, colour ^ 1); }
// The same set widened by one file each way.
constexpr Bitboard with_neighbour_files(Bitboard b) {
    return b | ((b << 1) & NOT_FILE_A) | ((b >> 1) & NOT_FILE_H);
}
// One bit per file that holds a square of `b`, bit 0 for the a-file.
constexpr int files_of(Bitboard b) {
    b |= b >> 32, b |= b >> 16;
    return int((b | b >> 8) & 0xFF);
}

inline Bitboard square_field(Square s, int field) { return tables.square_masks[s][field]; }
// Squares ahead of s on its file, for a pawn of `colour`.
inline Bitboard file_ahead(Square s, int colour) {
    return square_field(s, colour == WHITE ? RAY_N : RAY_S);
}
// Squares ahead of s on its own and the neighbouring files: no enemy pawn there makes it passed.
inline Bitboard passed_span(Square s, int colour) {
    return square_field(s, colour == WHITE ? SPAN_ABOVE : SPAN_BELOW);
}
// Squares on the neighbouring files behind s, and ahead of it, for `colour`.
inline Bitboard adjacent_files_behind(Square s, int colour) {
    return square_field(s, colour == WHITE ? ADJACENT_FILES_BELOW : ADJACENT_FILES_ABOVE);
}
inline Bitboard adjacent_files_ahead(Square s, int colour) {
    return square_field(s, colour == WHITE ? ADJACENT_FILES_ABOVE : ADJACENT_FILES_BELOW);
}
// Whole ranks ahead of s, for `colour`.
inline Bitboard ranks_ahead(Square s, int colour) {
    return square_field(s, colour == WHITE ? RANKS_ABOVE : RANKS_BELOW);
}
// The square of a pawn of `colour` on s: an enemy king inside it catches the pawn.
inline Bitboard pawn_square(Square s, int colour) {
    return square_field(s, colour == WHITE ? WHITE_PAWN_SQUARE : BLACK_PAWN_SQUARE);
}

// The board turned upside down: White's squares as Black sees them.
constexpr Bitboard flip_vertical(Bitboard b) { return __builtin_bswap64(b); }
// A set given from White's side, for `colour`.
constexpr Bitboard relative_set(Bitboard white_view, int colour) {
    return colour == WHITE ? white_view : flip_vertical(white_view);
}
