// Bishops: mobility, trapped and hemmed-in bishops, bad bishops, targets, the attack on the
// enemy king, and the bishop pair.
#include <algorithm>

#include "eval/eval_options.h"
#include "eval/mobility.h"
#include "eval/piece_terms.h"

namespace {

constexpr int BISHOP_BY_PIECE_COUNT[10] = {-2, -2, -1, 1, 2, 2, 2, 2, 2, 2};
// By the weight of the own pawns on the bishop's colour.
constexpr int BAD_BISHOP[9] = {0, -2, -4, -6, -8, -10, -12, -14, -16};
// By the number of pawns on the board.
constexpr int BISHOP_PAIR[18] = {50, 50, 50, 50, 50, 46, 46, 42, 42,
                                 40, 40, 36, 36, 32, 32, 32, 32, 32};
// Mobility in steps, by (raw mobility + 2) / 4, when it is not counted smoothly.
constexpr int MOBILITY_STEPS_TOP = 20;
constexpr int MOBILITY_STEPS[MOBILITY_STEPS_TOP + 1] = {
    -4, -4, 2, 8, 14, 19, 24, 28, 32, 36, 40, 44, 48, 51, 54, 57, 60, 63, 66, 69, 70};
// By how many squares in front of the enemy king the bishop's lines reach: 0, 1, 2, 3 or more
// (fitted to game results).
constexpr int KING_ATTACK_BY_FRONT_SQUARES[4] = {18, 15, 34, 27};

constexpr Bitboard EDGES = FILE_A | FILE_H | RANK_1 | RANK_8;
constexpr Bitboard RANKS_2_3 = RANK_2 | RANK_2 << 8;

struct TrappedShape {
    Square bishop, pawn;  // White's bishop and Black's pawn that shuts it in
};
constexpr TrappedShape TRAPPED_SHAPES[4] = {{48, 41}, {57, 50}, {55, 46}, {62, 53}};  // a7/b6, b8/c7, h7/g6, g8/f7

bool is_trapped(const Position& p, int us) {
    const Bitboard bishops = p.pieces[piece_of(BISHOP, us)];
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, us ^ 1)];
    for (const TrappedShape& t : TRAPPED_SHAPES)
        if ((bishops & square_bit(relative_square(t.bishop, us))) &&
            (their_pawns & square_bit(relative_square(t.pawn, us))))
            return true;
    return false;
}

// A bishop at home behind both pawns of its forward diagonals.
int hemmed_in_at_home(const Position& p, int us) {
    const Bitboard bishops = p.pieces[piece_of(BISHOP, us)];
    const Bitboard pawns = p.pieces[piece_of(PAWN, us)];
    const Bitboard c1_walls = relative_set(named("b2d2"), us);
    const Bitboard f1_walls = relative_set(named("e2g2"), us);
    int cost = 0;
    if ((bishops & relative_set(named("c1"), us)) && (pawns & c1_walls) == c1_walls) cost += 18;
    if ((bishops & relative_set(named("f1"), us)) && (pawns & f1_walls) == f1_walls) cost += 18;
    return cost;
}

int mobility(const Position& p, Square s) {
    int m = (line_mobility(ORIENT_A1H8, s, p.a1h8_diag) + line_mobility(ORIENT_H1A8, s, p.h1a8_diag)) / 4 +
            (line_mobility(ORIENT_A1H8, s, p.a1h8_x) + line_mobility(ORIENT_H1A8, s, p.h1a8_x)) / 8;
    if (!smooth_mobility) m = MOBILITY_STEPS[std::min((m + 2) / 4, MOBILITY_STEPS_TOP)];
    return m * 200 / 128;
}

// Own blocked pawns on the second and third ranks in the bishop's lines: worst on the centre side.
int blocked_own_pawns(const Position& p, Square s, Bitboard xray_attacks, int us) {
    const Bitboard blocked = p.pieces[piece_of(PAWN, us)] & relative_set(RANKS_2_3, us) &
                             (us == WHITE ? p.all_pieces >> 8 : p.all_pieces << 8);
    const Bitboard met = xray_attacks & ranks_ahead(s, us) & blocked;
    if (!met) return 0;
    // The bishop's own file and the files between it and the centre.
    const int f = file_of(s);
    const Bitboard rank_part = f <= 3 ? (0xFFull << f) & 0xFF : 0xFFull >> (7 - f);
    const Bitboard centre_side = rank_part * FILE_A;
    return (met & centre_side) ? 15 : 7;
}

int king_attack(const Position& p, Square s, Bitboard xray_attacks, int us) {
    const Square king = p.king_sq[us ^ 1];
    const Bitboard zone = tables.square_masks[king][KING_ZONE];
    const Bitboard hits = xray_attacks & zone;
    if (!hits) return 0;
    const Bitboard front = zone & ranks_ahead(king, us ^ 1);
    int value = KING_ATTACK_BY_FRONT_SQUARES[std::min(popcount(hits & front), 3)];
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, us ^ 1)];
    const int d = direction(s, king);
    if (xray_attacks & their_pawns & tables.king_attacks[king]) return value * 160 / 128;
    if ((d == 7 || d == -7 || d == 9 || d == -9) && (between(s, king, d) & their_pawns))
        return value * 96 / 128;
    return value;
}

}  // namespace

MinorParts bishop_scores(const Position& p, EvalInfo& info, int us) {
    MinorParts parts{0, 0};
    const int them = us ^ 1;
    const Bitboard bishops = p.pieces[piece_of(BISHOP, us)];
    if (!bishops) return parts;
    if (is_trapped(p, us)) parts.placement -= 62, parts.structure -= 62;
    parts.placement -= hemmed_in_at_home(p, us);

    const Bitboard targets = target_pawns(p, info, us);
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, them)];
    const Bitboard guarded_pawns = their_pawns & info.attacks[them][PAWN] & ~EDGES;
    const int count_value = BISHOP_BY_PIECE_COUNT[std::min(p.piece_count[us], 9)];
    for (Bitboard b = bishops; b;) {
        const Square s = pop_lowest(b);
        const Bitboard attacks = bishop_attacks(p, s);
        const Bitboard xray_attacks = bishop_attacks(s, p.a1h8_x, p.h1a8_x);
        info.attacks[us][BISHOP] |= attacks;
        parts.structure += count_value;
        parts.placement += mobility(p, s);
        if (attacks & targets) parts.placement += 11;
        if (attacks & ranks_ahead(s, us) & guarded_pawns) parts.placement -= 10;
        parts.placement -= blocked_own_pawns(p, s, xray_attacks, us);
        const int shade = shade_of(s);
        parts.structure += BAD_BISHOP[std::min<int>(info.block.bishop_pawn_weight[shade][us], 8)];

        if (info.king_attack[us]) info.king_attack_sum[us] += king_attack(p, s, xray_attacks, us);
        if (info.king_attack[them])
            info.king_defence_sum[us] += 27 * king_defence_value(s, p.king_sq[us]) / 128;
    }
    return parts;
}

int bishop_pair_bonus(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1;
    const int ours = popcount(p.pieces[piece_of(BISHOP, us)]);
    const int theirs = popcount(p.pieces[piece_of(BISHOP, them)]);
    if (ours < 2 || theirs >= 2) return 0;
    int bonus = BISHOP_PAIR[std::min(p.pawn_count[BLACK] + p.pawn_count[WHITE], 17)];
    if (theirs == 0) bonus += 5;
    const Bitboard enemy_half = relative_set(box(0, 7, 4, 7), us);
    if (p.piece_count[them] < 5 && (info.passed_pawns[us] & enemy_half)) bonus += 5;
    if (p.major_count[them] == p.major_count[us] + 1 && p.minor_count[us] == p.minor_count[them] + 1)
        bonus += p.major_count[us] > 0 ? 20 : 5;
    return bonus;
}
