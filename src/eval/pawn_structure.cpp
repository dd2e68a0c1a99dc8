// Pawn structure from the pawns alone: files, safe advances, weak, passed and candidate pawns,
// majorities, centre and the structure sums. Computed on a pawn-hash miss only.
#include <algorithm>

#include "board/attacks.h"
#include "eval/pawn_rules.h"
#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

// By the number of the side's pawns on one file, for each of them.
constexpr int DOUBLED[9] = {0, 0, -2, -8, -8, -8, -8, -8, -8};

// White's view, one rank a line from rank 1.
constexpr int CENTRAL_PAWN[64] = {
    0, 0, 0, 0,  0,  0, 0, 0,
    0, 0, 0, 10, 10, 0, 0, 0,
    0, 0, 0, 10, 10, 0, 0, 0,
    0, 0, 2, 10, 10, 2, 0, 0,
    0, 0, 5, 10, 10, 5, 0, 0,
    0, 0, 5, 10, 10, 5, 0, 0,
    0, 0, 0, 0,  0,  0, 0, 0,
    0, 0, 0, 0,  0,  0, 0, 0};
constexpr int CENTRE_CONTROL[64] = {
    0, 0, 0,  0,  0,  0,  0, 0,
    0, 0, 0,  0,  0,  0,  0, 0,
    0, 0, 5,  1,  1,  5,  0, 0,
    0, 0, 4,  3,  3,  4,  0, 0,
    0, 0, 9,  12, 12, 9,  0, 0,
    0, 0, 13, 18, 18, 13, 0, 0,
    0, 0, 8,  18, 18, 8,  0, 0,
    0, 0, 0,  0,  0,  0,  0, 0};
// White's view: the squares whose control counts, and those where a central pawn counts.
constexpr Bitboard CONTROLLED_CENTRE = named("d3e3") | box(2, 5, 3, 6);
constexpr Bitboard CENTRAL_PAWN_SQUARES = named("d2e2d3e3") | box(2, 5, 3, 5);
constexpr Bitboard CENTRE_PAIRS[3] = {named("d4e4"), named("d5e5"), named("d6e6")};

// One side's half of the computation.
struct Side {
    int colour;
    Bitboard own, enemy;
    StagePair sum;
};

Bitboard safe_advances(Bitboard own, Bitboard enemy, int colour) {
    Bitboard safe = 0;
    for (Bitboard b = own; b;) {
        for (Square s = pop_lowest(b);;) {
            safe |= square_bit(s);
            s += pawn_push(colour);
            if (relative_rank(s, colour) >= 6 || ((own | enemy) & square_bit(s))) break;
            if (popcount(pawn_attackers_mask(s, colour ^ 1) & enemy) >
                popcount(pawn_attackers_mask(s, colour) & own))
                break;
        }
    }
    return safe;
}

// Weak, doubled, passed and candidate pawns of one side.
void score_pawns(Side& side, PawnKingBlock& block) {
    const int c = side.colour;
    const Bitboard defended = side.own & pawn_attacks(side.own, c);
    for (Bitboard b = side.own; b;) {
        const Square s = pop_lowest(b);
        const Bitboard bit = square_bit(s);
        bool weak = false, isolated = false;
        if (tables.square_masks[s][ADJACENT_FILES] & side.own) {
            const StagePair penalty = backward_penalty(s, c, side.own, side.enemy);
            weak = penalty.any();
            side.sum.mg -= penalty.mg, side.sum.eg -= penalty.eg;
        } else {
            weak = isolated = true;
            const StagePair penalty = isolated_penalty(s, c, side.own, side.enemy);
            side.sum.mg -= penalty.mg, side.sum.eg -= penalty.eg;
        }
        if (weak) block.weak_pawns[c] |= bit;

        const int on_file = popcount(side.own & file_mask(file_of(s)));
        if (on_file > 1) {
            side.sum.mg += DOUBLED[on_file], side.sum.eg += DOUBLED[on_file];
            if (weak && !(file_ahead(s, c) & (side.enemy | defended)))
                side.sum.mg -= isolated ? 6 : 10, side.sum.eg -= 2;
        }

        if (!(passed_span(s, c) & side.enemy)) {
            block.passer_files[c] |= uint8_t(1 << file_of(s));
            const bool supported =
                (pawn_attackers_mask(s, c) | tables.square_masks[s][BESIDE]) & side.own;
            if (supported && relative_rank(s, c) >= 3)
                block.flags |= c == WHITE ? WHITE_SUPPORTED_PASSER : BLACK_SUPPORTED_PASSER;
        } else if (candidate_score(s, c, side.own, side.enemy, block.safe_advance[c], NO_KING)
                       .any()) {
            block.candidate_files[c] |= uint8_t(1 << file_of(s));
        } else if (relative_rank(s, c) == 5) {
            side.sum.mg += 8, side.sum.eg += 15;
        }
    }
    block.candidate_files[c] &= uint8_t(~block.passer_files[c]);
}

// Runs of neighbouring pawn files, each widened by a file: a group where both sides hold the
// same files and the side's extra pawns cannot make a passer is a crippled majority.
void score_crippled_majorities(Side& side, const PawnKingBlock& block) {
    const int c = side.colour;
    const int own_files = block.pawn_files[c], enemy_files = block.pawn_files[c ^ 1];
    const Bitboard enemy_unpassed = side.enemy & ~passed_pawns_of(side.enemy, side.own, c ^ 1);
    for (int rest = own_files; rest;) {
        const int low = std::countr_zero(unsigned(rest));
        int run = rest & ~(rest + (1 << low));  // the lowest run of set bits
        rest &= ~run;
        const int group = (run | run << 1 | run >> 1) & 0xFF;
        if ((group & block.candidate_files[c]) || (group & own_files) != (group & enemy_files))
            continue;
        Bitboard files = 0;
        for (int f = 0; f < 8; ++f)
            if (group >> f & 1) files |= file_mask(f);
        if (popcount(side.own & files) > popcount(enemy_unpassed & files))
            side.sum.mg -= 25, side.sum.eg -= 25;
    }
}

void score_centre(Side& side) {
    const int c = side.colour;
    const Bitboard attacked = pawn_attacks(side.own, c);
    for (Bitboard b = relative_set(CONTROLLED_CENTRE, c) & attacked; b;) {
        const Square s = pop_lowest(b);
        const int value = CENTRE_CONTROL[relative_square(s, c)];
        side.sum.mg += value + value / 2 * popcount(tables.square_masks[s][BESIDE] & attacked);
    }
    for (int f = 2; f <= 5; ++f) {
        const Bitboard central = side.own & relative_set(CENTRAL_PAWN_SQUARES, c) & file_mask(f);
        if (!central) continue;
        const Square front = c == WHITE ? 63 - std::countl_zero(central) : lowest_square(central);
        side.sum.mg += CENTRAL_PAWN[relative_square(front, c)];
    }
    const Bitboard enemy_attacks = pawn_attacks(side.enemy, c ^ 1);
    if ((side.own & relative_set(named("d3e3"), c)) == relative_set(named("d3e3"), c))
        side.sum.mg += 5;
    for (Bitboard pair : CENTRE_PAIRS) {
        pair = relative_set(pair, c);
        if ((side.own & pair) == pair && !(enemy_attacks & pair)) side.sum.mg += 10;
    }
    const Bitboard d_file = file_mask(3), e_file = file_mask(4);
    if ((side.own & d_file) && (side.own & e_file) && !(side.enemy & (d_file | e_file)))
        side.sum.mg -= 10;
}

// A pawn that cannot advance without leaving a neighbour backward ties its side down: the
// enemy gains half of the worst such penalty.
StagePair advance_cost(const Side& side, Bitboard weak) {
    const int c = side.colour;
    StagePair worst;
    for (Bitboard b = side.own & ~weak & ~relative_set(RANK_7, c); b;) {
        const Square s = pop_lowest(b);
        const Square to = s + pawn_push(c);
        if ((file_ahead(s, c) & side.enemy) || (adjacent_files_behind(s, c) & side.own) ||
            (side.own & square_bit(to)))
            continue;
        const Bitboard advanced = (side.own ^ square_bit(s)) | square_bit(to);
        for (Bitboard n = tables.square_masks[s][ADJACENT_FILES] & side.own & ~weak; n;) {
            const StagePair penalty = backward_penalty(pop_lowest(n), c, advanced, side.enemy);
            worst.mg = std::max(worst.mg, penalty.mg);
            worst.eg = std::max(worst.eg, penalty.eg);
        }
    }
    return {worst.mg / 2, worst.eg / 2};
}

// Each weight counts the pawns on one square colour, the central ones again, and again those
// an enemy pawn blocks: they hem in a bishop of that colour.
uint8_t bishop_pawn_weight(Bitboard pawns, Bitboard blocked) {
    auto weight = [](Bitboard b) {
        return popcount(b) + popcount(b & BIG_CENTRE) + 2 * popcount(b & CENTRE);
    };
    return uint8_t(std::min(31, weight(pawns) + weight(blocked)));
}

}  // namespace

void compute_pawn_structure(const Position& p, PawnKingBlock& block) {
    Side sides[2] = {{BLACK, p.pieces[BPAWN], p.pieces[WPAWN], {}},
                     {WHITE, p.pieces[WPAWN], p.pieces[BPAWN], {}}};
    for (Side& side : sides) {
        block.pawn_files[side.colour] = uint8_t(files_of(side.own));
        block.safe_advance[side.colour] = safe_advances(side.own, side.enemy, side.colour);
    }
    block.empty_files = uint8_t(~(block.pawn_files[BLACK] | block.pawn_files[WHITE]));
    score_pawns(sides[WHITE], block);
    score_pawns(sides[BLACK], block);
    for (Side& side : sides) {
        score_crippled_majorities(side, block);
        score_centre(side);
        const int c = side.colour;
        const StagePair cost = advance_cost(side, block.weak_pawns[c]);
        sides[c ^ 1].sum.mg += cost.mg, sides[c ^ 1].sum.eg += cost.eg;
        for (int shade : {LIGHT_SQUARES, DARK_SQUARES}) {
            const Bitboard pawns = side.own & SHADE_SQUARES[shade];
            const Bitboard blocked = pawns & shift_forward(side.enemy, c ^ 1);
            block.bishop_pawn_weight[shade][c] = bishop_pawn_weight(pawns, blocked);
        }
    }
    const int surplus = popcount(p.pieces[WPAWN]) - popcount(p.pieces[BPAWN]);
    block.structure[MIDDLEGAME] = int16_t(sides[WHITE].sum.mg - sides[BLACK].sum.mg - 6 * surplus);
    block.structure[ENDGAME] = int16_t(sides[WHITE].sum.eg - sides[BLACK].sum.eg + 6 * surplus);
}
