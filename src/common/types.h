// Chess vocabulary shared by every subsystem: squares, colours, piece codes, moves, bitboards.
#pragma once

#include <bit>
#include <cstdint>

using Bitboard = uint64_t;
using Square = int32_t;
using Move = uint32_t;

enum Colour : int { BLACK = 0, WHITE = 1 };

// Piece codes: colour = code & 1, type = code >> 1. Codes 0 and 1 double as colour indexes.
enum PieceCode : int {
    EMPTY = 0,
    BPAWN = 2, WPAWN, BKNIGHT, WKNIGHT, BBISHOP, WBISHOP,
    BROOK, WROOK, BQUEEN, WQUEEN, BKING, WKING
};

enum PieceType : int { PAWN = 1, KNIGHT, BISHOP, ROOK, QUEEN, KING };

// Castling rights in `castle_flags`.
enum CastleRight : int { BKC = 1, BQC = 2, WKC = 4, WQC = 8 };

constexpr Move NULL_MOVE = 0;
constexpr Move SKIP_MOVE = 1;

// The four castling moves are plain king moves of two files; these are their values.
constexpr Move CASTLE_WK = 0xD106;  // e1g1
constexpr Move CASTLE_WQ = 0xD102;  // e1c1
constexpr Move CASTLE_BK = 0xCF3E;  // e8g8
constexpr Move CASTLE_BQ = 0xCF3A;  // e8c8

// Marks the search leaves in the top byte of principal-variation moves.
constexpr Move MOVE_SINGULAR_MARK = 0x80000000u;
constexpr Move MOVE_MATE_MARK = 0x40000000u;
constexpr Move MOVE_IDENTITY_MASK = 0x00FFFFFFu;

constexpr int colour_of(int piece) { return piece & 1; }
constexpr int type_of(int piece) { return piece >> 1; }
constexpr int piece_of(int type, int colour) { return type * 2 + colour; }

constexpr int file_of(Square s) { return s & 7; }
constexpr int rank_of(Square s) { return s >> 3; }
constexpr Square square_at(int file, int rank) { return rank * 8 + file; }

constexpr Square move_to(Move m) { return m & 63; }
constexpr Square move_from(Move m) { return (m >> 6) & 63; }
constexpr int move_piece(Move m) { return (m >> 12) & 15; }
constexpr int move_promotion(Move m) { return (m >> 16) & 15; }
constexpr int move_captured(Move m) { return (m >> 20) & 15; }

constexpr Move make_move_value(Square from, Square to, int piece, int captured = EMPTY,
                               int promotion = EMPTY) {
    return Move(to) | Move(from) << 6 | Move(piece) << 12 | Move(promotion) << 16 |
           Move(captured) << 20;
}

constexpr bool is_castling(Move m) {
    m &= MOVE_IDENTITY_MASK;
    return m == CASTLE_WK || m == CASTLE_WQ || m == CASTLE_BK || m == CASTLE_BQ;
}

// A pawn that changes file without capturing anything takes en passant.
constexpr bool is_en_passant(Move m) {
    return type_of(move_piece(m)) == PAWN && move_captured(m) == EMPTY &&
           file_of(move_from(m)) != file_of(move_to(m));
}
constexpr bool is_capture(Move m) { return move_captured(m) != EMPTY || is_en_passant(m); }

constexpr Bitboard square_bit(Square s) { return Bitboard(1) << s; }
constexpr int popcount(Bitboard b) { return std::popcount(b); }
constexpr Square lowest_square(Bitboard b) { return std::countr_zero(b); }

// Returns the lowest set square and clears it from `b`.
inline Square pop_lowest(Bitboard& b) {
    Square s = std::countr_zero(b);
    b &= b - 1;
    return s;
}

constexpr Bitboard FILE_A = 0x0101010101010101ull;
constexpr Bitboard FILE_H = FILE_A << 7;
constexpr Bitboard RANK_1 = 0xFFull;
constexpr Bitboard RANK_8 = RANK_1 << 56;
constexpr Bitboard NOT_FILE_A = ~FILE_A;
constexpr Bitboard NOT_FILE_H = ~FILE_H;
constexpr Bitboard FILES_B_TO_G = 0x7e7e7e7e7e7e7e7eull;
constexpr Bitboard RANK_2 = RANK_1 << 8;
constexpr Bitboard RANK_7 = RANK_1 << 48;

constexpr Bitboard file_mask(int file) { return FILE_A << file; }
constexpr Bitboard rank_mask(int rank) { return RANK_1 << (8 * rank); }
