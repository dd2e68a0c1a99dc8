// Attack tables built once at start-up and the attack queries on them. Every sliding attack is
// one lookup on a rotated occupancy: the six inner squares of the piece's line index the table.
#pragma once

#include <cstdint>

#include "board/position.h"

enum Orientation : int { ORIENT_RANK = 0, ORIENT_FILE = 1, ORIENT_A1H8 = 2, ORIENT_H1A8 = 3 };

// Fields of the per-square record (see the table in attacks.cpp for what each holds).
enum SquareMaskField : int {
    RAY_SE = 0, RAY_NW = 1, RAY_SW = 2, RAY_NE = 3, RAY_S = 4, RAY_N = 5, RAY_W = 6, RAY_E = 7,
    BISHOP_RAYS = 8, ROOK_RAYS = 9, EMPTY_FIELD = 10, ADJACENT_FILES = 11, NEIGHBOURS = 12,
    BOX_5X5 = 13, BESIDE = 14, ORTHOGONAL_NEIGHBOURS = 15,
    WHITE_PAWN_ATTACKERS = 16,  // squares a white pawn attacks this square from
    BLACK_PAWN_ATTACKERS = 17,  // squares a black pawn attacks this square from
    ADJACENT_FILES_BELOW = 18, ADJACENT_FILES_ABOVE = 19, BESIDE_AND_BELOW = 20,
    BESIDE_AND_ABOVE = 21, SPAN_BELOW = 22, SPAN_ABOVE = 23, PAWN_GUARD_BELOW = 24,
    PAWN_GUARD_ABOVE = 25, PAWN_GUARD_BELOW_2 = 26, PAWN_GUARD_ABOVE_2 = 27, RANKS_BELOW = 28,
    RANKS_ABOVE = 29, WHITE_PAWN_SQUARE = 30, WHITE_PAWN_SQUARE_WIDE = 31,
    BLACK_PAWN_SQUARE = 32, BLACK_PAWN_SQUARE_WIDE = 33, KING_ZONE = 34, KING_ZONE_WIDE = 35,
    KING_REACH_2 = 36, KING_WING_BOX = 37,
    SQUARE_MASK_FIELDS = 38
};

struct AttackTables {
    uint8_t rot90_of[64];     // square -> bit index in the file-major view
    uint8_t a1h8_of[64];      // square -> bit index in the a1h8 view
    uint8_t h1a8_of[64];      // square -> bit index in the h1a8 view
    uint8_t a1h8_square[64];  // bit index -> square
    uint8_t h1a8_square[64];  // bit index -> square
    uint32_t shift[4][64];
    Bitboard line_attacks[4][64][64];
    Bitboard knight_attacks[64];
    Bitboard king_attacks[64];
    int8_t direction[64][64];
    Bitboard square_masks[64][SQUARE_MASK_FIELDS];
    // A square's single bit in each view, side by side so make/unmake reads one cache line.
    alignas(32) Bitboard square_bits[64][4];
};

extern AttackTables tables;

// Lookups indexed by direction d in -9..9 (use with offset 9).
extern const int8_t RAY_FIELD_OF_DIRECTION[19];
extern const int8_t ORIENTATION_OF_DIRECTION[19];

void init_attack_tables();

inline Bitboard line_lookup(int orientation, Square s, Bitboard occupancy) {
    uint32_t k = uint32_t(occupancy >> tables.shift[orientation][s]) & 63;
    return tables.line_attacks[orientation][s][k];
}

inline Bitboard rook_attacks(Square s, Bitboard rot0, Bitboard rot90) {
    return line_lookup(ORIENT_RANK, s, rot0) | line_lookup(ORIENT_FILE, s, rot90);
}
inline Bitboard bishop_attacks(Square s, Bitboard a1h8, Bitboard h1a8) {
    return line_lookup(ORIENT_A1H8, s, a1h8) | line_lookup(ORIENT_H1A8, s, h1a8);
}
inline Bitboard rook_attacks(const Position& p, Square s) {
    return rook_attacks(s, p.all_pieces, p.rot_90);
}
inline Bitboard bishop_attacks(const Position& p, Square s) {
    return bishop_attacks(s, p.a1h8_diag, p.h1a8_diag);
}
inline Bitboard queen_attacks(const Position& p, Square s) {
    return rook_attacks(p, s) | bishop_attacks(p, s);
}

// The occupancy of `p` in the given orientation. A table lookup rather than a switch: the
// exchange evaluation asks for all four in no predictable order.
inline Bitboard occupancy(const Position& p, int orientation) {
    static constexpr Bitboard Position::*VIEWS[4] = {&Position::all_pieces, &Position::rot_90,
                                                     &Position::a1h8_diag, &Position::h1a8_diag};
    return p.*VIEWS[orientation];
}

// Squares from which a pawn of `colour` attacks `s`.
inline Bitboard pawn_attackers_mask(Square s, int colour) {
    return tables.square_masks[s][colour == WHITE ? WHITE_PAWN_ATTACKERS : BLACK_PAWN_ATTACKERS];
}
// Squares a pawn of `colour` standing on `s` attacks.
inline Bitboard pawn_attacks_from(Square s, int colour) {
    return tables.square_masks[s][colour == WHITE ? BLACK_PAWN_ATTACKERS : WHITE_PAWN_ATTACKERS];
}

// Queried at every node; inline so that each caller gets its own copy.
inline Bitboard attackers(const Position& p, Square s, int by) {
    return (rook_attacks(p, s) & p.rooks_queens[by]) |
           (bishop_attacks(p, s) & p.bishops_queens[by]) |
           (pawn_attackers_mask(s, by) & p.pieces[piece_of(PAWN, by)]) |
           (tables.king_attacks[s] & p.pieces[piece_of(KING, by)]) |
           (tables.knight_attacks[s] & p.pieces[piece_of(KNIGHT, by)]);
}

inline bool attacked(const Position& p, Square s, int by) {
    return (rook_attacks(p, s) & p.rooks_queens[by]) ||
           (bishop_attacks(p, s) & p.bishops_queens[by]) ||
           (pawn_attackers_mask(s, by) & p.pieces[piece_of(PAWN, by)]) ||
           (tables.king_attacks[s] & p.pieces[piece_of(KING, by)]) ||
           (tables.knight_attacks[s] & p.pieces[piece_of(KNIGHT, by)]);
}

inline Bitboard all_attackers(const Position& p, Square s) {
    return (rook_attacks(p, s) & (p.rooks_queens[WHITE] | p.rooks_queens[BLACK])) |
           (bishop_attacks(p, s) & (p.bishops_queens[WHITE] | p.bishops_queens[BLACK])) |
           (pawn_attackers_mask(s, WHITE) & p.pieces[WPAWN]) |
           (pawn_attackers_mask(s, BLACK) & p.pieces[BPAWN]) |
           (tables.king_attacks[s] & (p.pieces[WKING] | p.pieces[BKING])) |
           (tables.knight_attacks[s] & (p.pieces[WKNIGHT] | p.pieces[BKNIGHT]));
}

inline int direction(Square from, Square to) { return tables.direction[from][to]; }
inline Bitboard ray(Square s, int d) { return tables.square_masks[s][RAY_FIELD_OF_DIRECTION[d + 9]]; }
// Squares strictly between a and b, which lie on direction d from a.
inline Bitboard between(Square a, Square b, int d) { return ray(a, d) ^ ray(b - d, d); }

bool is_pinned(const Position& p, int colour, Square s);

// Sliders of the kind that moves along direction d: rooks and queens or bishops and queens.
inline Bitboard sliders_of_direction(const Position& p, int d, int colour) {
    int o = ORIENTATION_OF_DIRECTION[d + 9];
    return o <= ORIENT_FILE ? p.rooks_queens[colour] : p.bishops_queens[colour];
}

// The sliders of either colour first met from `s` along direction d, added to `so_far`.
inline Bitboard xray_behind(const Position& p, Bitboard so_far, Square s, int d) {
    int o = ORIENTATION_OF_DIRECTION[d + 9];
    Bitboard reach = line_lookup(o, s, occupancy(p, o)) & ray(s, d);
    return so_far | (reach & (sliders_of_direction(p, d, WHITE) | sliders_of_direction(p, d, BLACK)));
}

// Every square that the pawns in `pawns` of `colour` attack.
inline Bitboard pawn_attacks(Bitboard pawns, int colour) {
    if (colour == WHITE) return ((pawns << 7) & NOT_FILE_H) | ((pawns << 9) & NOT_FILE_A);
    return ((pawns >> 9) & NOT_FILE_H) | ((pawns >> 7) & NOT_FILE_A);
}

// Every square that the pawns, knights and king of `colour` attack.
Bitboard leaper_attacks(const Position& p, int colour);
// Every square that a piece of `colour` attacks.
Bitboard attacked_squares(const Position& p, int colour);

inline bool in_check(const Position& p) { return attacked(p, p.king_sq[p.turn], p.turn ^ 1); }

// After `move`, made from a position where the mover was not in check: whether it left the
// mover's king attacked. Only a king move, an en-passant capture or a piece leaving a line
// through its own king can do that; every other move skips the attack test.
inline bool leaves_king_attacked(const Position& p, Move move) {
    const Square king = p.king_sq[p.turn ^ 1];
    if (type_of(move_piece(move)) != KING && !is_en_passant(move) && direction(king, move_from(move)) == 0)
        return false;
    return attacked(p, king, p.turn);
}
