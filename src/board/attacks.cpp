#include "board/attacks.h"

#include <algorithm>
#include <cstdlib>

#include "eval/mobility.h"

AttackTables tables;

// Direction d in -9..9, stored at d + 9. Directions off a line map to the always-empty field.
const int8_t RAY_FIELD_OF_DIRECTION[19] = {
    RAY_SW, RAY_S, RAY_SE, EMPTY_FIELD, EMPTY_FIELD, EMPTY_FIELD, EMPTY_FIELD, EMPTY_FIELD, RAY_W,
    EMPTY_FIELD,
    RAY_E, EMPTY_FIELD, EMPTY_FIELD, EMPTY_FIELD, EMPTY_FIELD, EMPTY_FIELD, RAY_NW, RAY_N, RAY_NE};
const int8_t ORIENTATION_OF_DIRECTION[19] = {
    ORIENT_A1H8, ORIENT_FILE, ORIENT_H1A8, 0, 0, 0, 0, 0, ORIENT_RANK,
    0,
    ORIENT_RANK, 0, 0, 0, 0, 0, ORIENT_H1A8, ORIENT_FILE, ORIENT_A1H8};

namespace {

bool on_board(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

Bitboard bit_if_on_board(int file, int rank) {
    return on_board(file, rank) ? square_bit(square_at(file, rank)) : 0;
}

// All squares with files f0..f1 and ranks r0..r1, clipped to the board.
Bitboard box(int f0, int f1, int r0, int r1) {
    Bitboard b = 0;
    for (int f = f0; f <= f1; ++f)
        for (int r = r0; r <= r1; ++r) b |= bit_if_on_board(f, r);
    return b;
}

// The square at position j of s's line in the given orientation, or -1 off that line.
Square line_square(int orientation, Square s, int j) {
    int f = file_of(s), r = rank_of(s), file, rank;
    switch (orientation) {
        case ORIENT_RANK: file = j, rank = r; break;
        case ORIENT_FILE: file = f, rank = j; break;
        case ORIENT_A1H8: file = j + f - r, rank = j; break;
        default: file = 7 - j, rank = f + r - 7 + j; break;
    }
    return on_board(file, rank) ? square_at(file, rank) : -1;
}

int line_position(int orientation, Square s) {
    switch (orientation) {
        case ORIENT_RANK: return file_of(s);
        case ORIENT_FILE: case ORIENT_A1H8: return rank_of(s);
        default: return 7 - file_of(s);
    }
}

void init_mappings() {
    for (Square s = 0; s < 64; ++s) {
        tables.rot90_of[s] = rot90_index(s);
        tables.a1h8_of[s] = a1h8_index(s);
        tables.h1a8_of[s] = h1a8_index(s);
        tables.a1h8_square[a1h8_index(s)] = s;
        tables.h1a8_square[h1a8_index(s)] = s;
        tables.square_bits[s][ORIENT_RANK] = square_bit(s);
        tables.square_bits[s][ORIENT_FILE] = square_bit(rot90_index(s));
        tables.square_bits[s][ORIENT_A1H8] = square_bit(a1h8_index(s));
        tables.square_bits[s][ORIENT_H1A8] = square_bit(h1a8_index(s));
        int f = file_of(s), r = rank_of(s);
        tables.shift[ORIENT_RANK][s] = r * 8 + 1;
        tables.shift[ORIENT_FILE][s] = f * 8 + 1;
        tables.shift[ORIENT_A1H8][s] = ((f - r) & 7) * 8 + 1;
        tables.shift[ORIENT_H1A8][s] = ((f + r + 1) & 7) * 8 + 1;
    }
}

void init_directions_and_rays() {
    for (Square a = 0; a < 64; ++a) {
        for (Square b = 0; b < 64; ++b) {
            int df = file_of(b) - file_of(a), dr = rank_of(b) - rank_of(a);
            int d = 0;
            if (a == b) d = 0;
            else if (dr == 0) d = 1;
            else if (df == 0) d = 8;
            else if (df == dr) d = 9;
            else if (df == -dr) d = 7;
            tables.direction[a][b] = int8_t(b > a ? d : -d);
        }
    }
    static const int steps[8][3] = {  // field, file step, rank step
        {RAY_SE, 1, -1}, {RAY_NW, -1, 1}, {RAY_SW, -1, -1}, {RAY_NE, 1, 1},
        {RAY_S, 0, -1},  {RAY_N, 0, 1},   {RAY_W, -1, 0},   {RAY_E, 1, 0}};
    for (Square s = 0; s < 64; ++s) {
        for (auto& st : steps) {
            Bitboard b = 0;
            for (int f = file_of(s) + st[1], r = rank_of(s) + st[2]; on_board(f, r);
                 f += st[1], r += st[2])
                b |= square_bit(square_at(f, r));
            tables.square_masks[s][st[0]] = b;
        }
    }
}

void init_leapers() {
    static const int knight[8][2] = {{-2, -1}, {-1, -2}, {1, -2}, {2, -1},
                                     {2, 1},   {1, 2},   {-1, 2}, {-2, 1}};
    static const int king[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0},
                                   {1, 1},   {0, 1},  {-1, 1}, {-1, 0}};
    for (Square s = 0; s < 64; ++s) {
        Bitboard n = 0, k = 0;
        for (int i = 0; i < 8; ++i) {
            n |= bit_if_on_board(file_of(s) + knight[i][0], rank_of(s) + knight[i][1]);
            k |= bit_if_on_board(file_of(s) + king[i][0], rank_of(s) + king[i][1]);
        }
        tables.knight_attacks[s] = n;
        tables.king_attacks[s] = k;
    }
}

// Squares reached along s's line from position `from_pos`, stepping by `step`, stopping on the
// first square whose inner-position bit is set in k (ends of the line are always reached).
Bitboard slide(int orientation, Square s, int from_pos, int step, int k) {
    Bitboard b = 0;
    for (int j = from_pos + step; j >= 0 && j < 8; j += step) {
        Square t = line_square(orientation, s, j);
        if (t < 0) break;
        b |= square_bit(t);
        if (j >= 1 && j <= 6 && (k >> (j - 1) & 1)) break;
    }
    return b;
}

void init_line_attacks() {
    for (int o = 0; o < 4; ++o)
        for (Square s = 0; s < 64; ++s) {
            int pos = line_position(o, s);
            for (int k = 0; k < 64; ++k)
                tables.line_attacks[o][s][k] = slide(o, s, pos, 1, k) | slide(o, s, pos, -1, k);
        }
}

void init_pawn_and_king_fields(Square s) {
    Bitboard* m = tables.square_masks[s];
    int f = file_of(s), r = rank_of(s);
    m[NEIGHBOURS] = tables.king_attacks[s];
    m[BOX_5X5] = box(f - 2, f + 2, r - 2, r + 2);
    m[BESIDE] = bit_if_on_board(f - 1, r) | bit_if_on_board(f + 1, r);
    m[ORTHOGONAL_NEIGHBOURS] = m[BESIDE] | bit_if_on_board(f, r - 1) | bit_if_on_board(f, r + 1);
    m[WHITE_PAWN_ATTACKERS] = bit_if_on_board(f - 1, r - 1) | bit_if_on_board(f + 1, r - 1);
    m[BLACK_PAWN_ATTACKERS] = bit_if_on_board(f - 1, r + 1) | bit_if_on_board(f + 1, r + 1);
    m[ADJACENT_FILES_BELOW] = box(f - 1, f - 1, 0, r - 1) | box(f + 1, f + 1, 0, r - 1);
    m[ADJACENT_FILES_ABOVE] = box(f - 1, f - 1, r + 1, 7) | box(f + 1, f + 1, r + 1, 7);
    m[BESIDE_AND_BELOW] = m[BESIDE] | m[ADJACENT_FILES_BELOW];
    m[BESIDE_AND_ABOVE] = m[BESIDE] | m[ADJACENT_FILES_ABOVE];
    m[ADJACENT_FILES] = m[BESIDE_AND_BELOW] | m[BESIDE_AND_ABOVE];
    m[SPAN_BELOW] = m[ADJACENT_FILES_BELOW] | box(f, f, 0, r - 1);
    m[SPAN_ABOVE] = m[ADJACENT_FILES_ABOVE] | box(f, f, r + 1, 7);
    m[PAWN_GUARD_BELOW] = m[WHITE_PAWN_ATTACKERS] | bit_if_on_board(f, r - 1);
    m[PAWN_GUARD_ABOVE] = m[BLACK_PAWN_ATTACKERS] | bit_if_on_board(f, r + 1);
    m[PAWN_GUARD_BELOW_2] = m[PAWN_GUARD_BELOW] | m[PAWN_GUARD_BELOW] >> 8;
    m[PAWN_GUARD_ABOVE_2] = m[PAWN_GUARD_ABOVE] | m[PAWN_GUARD_ABOVE] << 8;
    m[RANKS_BELOW] = box(0, 7, 0, r - 1);
    m[RANKS_ABOVE] = box(0, 7, r + 1, 7);

    // The "square of the pawn": a king inside it catches the pawn. A pawn on its start rank
    // counts from the next rank because of its double step.
    int rw = r == 1 ? 2 : r;
    m[WHITE_PAWN_SQUARE] = box(f - (7 - rw), f + (7 - rw), rw, 7);
    m[WHITE_PAWN_SQUARE_WIDE] = box(f - (8 - rw), f + (8 - rw), rw - 1, 7);
    if (r == 1) m[WHITE_PAWN_SQUARE_WIDE] |= box(f - 1, f + 1, 0, 0);
    int rb = r == 6 ? 5 : r;
    m[BLACK_PAWN_SQUARE] = box(f - rb, f + rb, 0, rb);
    m[BLACK_PAWN_SQUARE_WIDE] = box(f - rb - 1, f + rb + 1, 0, rb + 1);
    if (r == 6) m[BLACK_PAWN_SQUARE_WIDE] |= box(f - 1, f + 1, 7, 7);

    int cf = std::clamp(f, 1, 6), cr = std::clamp(r, 1, 6);
    m[KING_ZONE] = box(cf - 1, cf + 1, cr - 1, cr + 1) & ~square_bit(s);
    m[KING_ZONE_WIDE] = m[KING_ZONE] | m[KING_ZONE] << 8 | m[KING_ZONE] >> 8;
    m[KING_REACH_2] = m[NEIGHBOURS];
    for (int df = -2; df <= 2; df += 2)
        for (int dr = -2; dr <= 2; dr += 2)
            if (df != 0 || dr != 0) m[KING_REACH_2] |= bit_if_on_board(f + df, r + dr);
    m[KING_WING_BOX] = box(f - 1, f + 1, r - 1, r + 1);
    if (f == 2 || f == 7) m[KING_WING_BOX] |= box(f - 2, f - 2, r - 1, r + 1);
    if (f == 0 || f == 5) m[KING_WING_BOX] |= box(f + 2, f + 2, r - 1, r + 1);
}

void init_square_records() {
    for (Square s = 0; s < 64; ++s) {
        Bitboard* m = tables.square_masks[s];
        m[BISHOP_RAYS] = m[RAY_SE] | m[RAY_NW] | m[RAY_SW] | m[RAY_NE];
        m[ROOK_RAYS] = m[RAY_S] | m[RAY_N] | m[RAY_W] | m[RAY_E];
        m[EMPTY_FIELD] = 0;
        init_pawn_and_king_fields(s);
    }
}

}  // namespace

void init_attack_tables() {
    init_mappings();
    init_directions_and_rays();
    init_leapers();
    init_line_attacks();
    init_square_records();
    init_mobility_tables();
}

Bitboard leaper_attacks(const Position& p, int colour) {
    Bitboard all = pawn_attacks(p.pieces[piece_of(PAWN, colour)], colour) | tables.king_attacks[p.king_sq[colour]];
    for (Bitboard b = p.pieces[piece_of(KNIGHT, colour)]; b;) all |= tables.knight_attacks[pop_lowest(b)];
    return all;
}

Bitboard attacked_squares(const Position& p, int colour) {
    Bitboard all = leaper_attacks(p, colour);
    for (Bitboard b = p.rooks_queens[colour]; b;) all |= rook_attacks(p, pop_lowest(b));
    for (Bitboard b = p.bishops_queens[colour]; b;) all |= bishop_attacks(p, pop_lowest(b));
    return all;
}

bool is_pinned(const Position& p, int colour, Square s) {
    Square king = p.king_sq[colour];
    int d = direction(king, s);
    if (d == 0) return false;
    Bitboard line = line_lookup(ORIENTATION_OF_DIRECTION[d + 9], s,
                                occupancy(p, ORIENTATION_OF_DIRECTION[d + 9]));
    return (line & square_bit(king)) && (line & ray(s, d) & sliders_of_direction(p, d, colour ^ 1));
}
