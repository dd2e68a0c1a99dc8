// Knights: square, outposts, safe squares, targets, and their part in the kings' fight.
#include <algorithm>

#include "eval/piece_terms.h"

namespace {

// White's view, a1 first; Black reads them at the mirrored square.
constexpr int KNIGHT_SQUARE[64] = {
    -25,  -3,   0,  4,  4,   0,  -3,  -25,   //
    -2,   3,    10, 16, 16,  10, 3,   -2,    //
    2,    20,   26, 33, 33,  26, 20,  2,     //
    6,    31,   34, 38, 38,  34, 31,  6,     //
    20,   36,   41, 47, 47,  41, 36,  20,    //
    16,   33,   44, 56, 56,  44, 33,  16,    //
    5,    16,   27, 27, 27,  27, 16,  5,     //
    -100, -15,  -10, 0, 0,   -10, -15, -100};
// Added when every square the knight could go to in b3-g6 is taken or guarded by a pawn.
constexpr int KNIGHT_WITHOUT_SAFE_SQUARE[64] = {
    -50,  -15, -15, -15, -15, -15, -15, -50,   //
    -24,  -24, -18, -18, -18, -18, -24, -24,   //
    -20,  -10, -10, -8,  -8,  -10, -10, -20,   //
    -20,  -5,  -5,  -5,  -5,  -5,  -5,  -20,   //
    -15,  -5,  -5,  -5,  -5,  -5,  -5,  -15,   //
    -15,  -12, -5,  -5,  -5,  -5,  -12, -15,   //
    -110, -60, -40, -30, -30, -40, -60, -110,  //
    -110, -80, -80, -80, -80, -80, -80, -110};
// Per 256 of an outpost's value.
constexpr int OUTPOST_SCALE[64] = {
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 14, 17, 17, 14, 0, 0,  //
    0, 8, 22, 22, 22, 22, 8, 0,  //
    0, 12, 18, 10, 10, 18, 12, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0};
// A knight that guards an outpost square for a later piece.
constexpr int KNIGHT_SUPPORTING_OUTPOST[64] = {
    0,  0, 0, 0, 0, 0, 0, 0,   //
    7,  7, 7, 7, 7, 7, 7, 7,   //
    8,  7, 7, 7, 7, 7, 7, 8,   //
    10, 7, 0, 0, 0, 0, 7, 10,  //
    10, 7, 0, 0, 0, 0, 7, 10,  //
    9,  7, 0, 0, 0, 0, 7, 9,   //
    7,  7, 7, 7, 7, 7, 7, 7,   //
    0,  0, 0, 0, 0, 0, 0, 0};

// By the owner's piece count.
constexpr int KNIGHT_BY_PIECE_COUNT[10] = {-2, -2, -2, 0, 2, 4, 4, 4, 4, 4};
// With few pieces left passed pawns run away from a knight; by a count of files.
constexpr int KNIGHT_VS_ENEMY_PASSER_FILES[8] = {0, -4, -4, -10, -15, -20, -25, -30};
constexpr int KNIGHT_VS_RUNNER_FILES[8] = {-2, -5, -5, -10, -15, -20, -20, -20};

// By file distance * 8 + rank distance to the enemy king; 0 from file distance 4 on.
constexpr int KING_PROXIMITY[32] = {0, 30, 30, 27, 14, 0, 0, 0,  //
                                    0, 30, 30, 27, 8,  0, 0, 0,  //
                                    0, 30, 30, 27, 2,  0, 0, 0,  //
                                    5, 5,  5,  4,  0,  0, 0, 0};


int file_count(uint8_t files) { return std::min(std::popcount(files), 7); }

// The count adjustment of one knight; with few pieces left it also looks at the runners.
int knight_count_value(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1, pieces = p.piece_count[us];
    int value = KNIGHT_BY_PIECE_COUNT[std::min(pieces, 9)];
    if (pieces >= 3) return value;
    const PawnKingBlock& b = info.block;
    int runners = KNIGHT_VS_ENEMY_PASSER_FILES[file_count(b.passer_files[them])];
    value += pieces == 1 ? 2 * runners : runners;
    value += KNIGHT_VS_RUNNER_FILES[file_count(b.passer_files[BLACK] | b.candidate_files[BLACK] |
                                               b.passer_files[WHITE] | b.candidate_files[WHITE])];
    const Bitboard free_centre = relative_set(C4_F6, us) & ~info.attacks[them][PAWN] &
                                 ~p.pieces[piece_of(PAWN, us)];
    if (p.pawn_count[BLACK] + p.pawn_count[WHITE] < 12 && free_centre == 0) value -= 2 * 3;
    return value;
}

// The structure value of a knight on the outpost square `s`.
int outpost_value(const Position& p, EvalInfo& info, Square s, Bitboard attacks, int us) {
    const int them = us ^ 1;
    const Bitboard our_pawns = p.pieces[piece_of(PAWN, us)];
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, them)];
    const Bitboard defenders = pawn_attackers_mask(s, us) & our_pawns;
    int v;
    if (defenders) {
        const bool both_defend = defenders == pawn_attackers_mask(s, us) &&
                                 (passed_span(s, us) & their_pawns) == 0;
        const Bitboard same_shade = SHADE_SQUARES[shade_of(s)];
        const bool no_minor_to_trade = p.pieces[piece_of(KNIGHT, them)] == 0 &&
                                       (p.pieces[piece_of(BISHOP, them)] & same_shade) == 0;
        v = both_defend || no_minor_to_trade ? 525 : 165;
    } else {
        v = (square_bit(s + pawn_push(us)) & their_pawns) ? 220 : 80;
    }
    if (attacks & info.block.weak_pawns[them]) v += 140;

    const Square own_view = relative_square(s, us);
    int scale = OUTPOST_SCALE[own_view];
    const Bitboard c_file = file_mask(2), f_file = file_mask(5);
    if ((own_view == square_at(1, 5) && (p.all_pawns & c_file) == 0) ||
        (own_view == square_at(6, 5) && (p.all_pawns & f_file) == 0))
        scale += 12;

    if (defenders && distance(s, p.king_sq[them]) <= 3) {
        if (info.king_attack[us]) info.king_attack_sum[us] += 8;
        return v / 32;
    }
    return v * scale / 256;
}

// A central knight in front of its king, with no enemy pawn to drive it off.
bool guards_own_king(const Position& p, Square s, int us) {
    const Square own_view = relative_square(s, us);
    const int king_file = file_of(p.king_sq[us]);
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, us ^ 1)];
    if (own_view == square_at(4, 3)) return king_file >= 4 && (their_pawns & file_mask(5)) == 0;
    if (own_view == square_at(3, 3)) return king_file <= 3 && (their_pawns & file_mask(2)) == 0;
    return false;
}

int king_proximity(Square s, Square king) {
    const int king_file = std::clamp(file_of(king), 1, 6);
    const int index = std::abs(file_of(s) - king_file) * 8 + std::abs(rank_of(s) - rank_of(king));
    return index < 32 ? KING_PROXIMITY[index] : 0;
}

}  // namespace

MinorParts knight_scores(const Position& p, EvalInfo& info, int us) {
    MinorParts parts{0, 0};
    const int them = us ^ 1;
    const Bitboard knights = p.pieces[piece_of(KNIGHT, us)];
    if (!knights) return parts;
    const Bitboard outposts = outpost_squares(p, info, us);
    const Bitboard targets = target_pawns(p, info, us);
    const Bitboard guarded_outposts = outposts & info.attacks[us][PAWN] & relative_set(BIG_CENTRE, us);
    const Bitboard unsafe = p.all_pawns | info.attacks[them][PAWN];
    const int count_value = knight_count_value(p, info, us) + 2;

    for (Bitboard b = knights; b;) {
        const Square s = pop_lowest(b);
        const Square own_view = relative_square(s, us);
        const Bitboard attacks = tables.knight_attacks[s];
        info.attacks[us][KNIGHT] |= attacks;
        parts.placement += KNIGHT_SQUARE[own_view];
        parts.structure += count_value;

        if (outposts & square_bit(s)) {
            parts.structure += outpost_value(p, info, s, attacks, us);
            if (info.king_attack[them] && guards_own_king(p, s, us)) info.king_defence_sum[us] += 20;
        } else if (attacks & guarded_outposts) {
            parts.structure += KNIGHT_SUPPORTING_OUTPOST[own_view];
        }
        if ((attacks & relative_set(B3_G6, us) & ~unsafe) == 0)
            parts.placement += KNIGHT_WITHOUT_SAFE_SQUARE[own_view];
        if (attacks & targets) parts.placement += 11;

        if (info.king_attack[us]) info.king_attack_sum[us] += king_proximity(s, p.king_sq[them]);
        if (info.king_attack[them])
            info.king_defence_sum[us] += 27 * king_defence_value(s, p.king_sq[us]) / 128;
    }
    return parts;
}
