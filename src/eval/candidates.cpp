// Candidate passed pawns: a pawn on a file free ahead that its neighbours can help through the
// enemy pawns guarding its path. Scored by the steps it still needs and the enemy king's file.
#include <algorithm>

#include "board/attacks.h"
#include "eval/pawn_rules.h"
#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

// Per 128-squared, by steps to a passed pawn (12 or more count nothing).
constexpr int STEPS_FACTOR[12] = {106, 79, 55, 41, 21, 17, 13, 7, 6, 5, 2, 0};
// By the rank of the contested square, from the pawn's side.
constexpr int RANK_VALUE[2][8] = {{0, 3, 3, 6, 9, 17, 17, 19}, {1, 4, 5, 13, 46, 62, 62, 66}};
// By the enemy king's file distance: a king far away cannot stop the new passer.
constexpr int KING_FACTOR[2][9] = {{160, 160, 160, 160, 176, 198, 232, 250, 250},
                                   {128, 128, 128, 144, 170, 192, 220, 220, 220}};
constexpr int NO_HELPER = 10;

// Ranks from `to` back to the nearest own pawn on `file`, or NO_HELPER.
int ranks_back_to_helper(Square to, int file, int colour, Bitboard own) {
    if (file < 0 || file > 7) return NO_HELPER;
    const Bitboard behind =
        file_mask(file) & ~ranks_ahead(to, colour) & ~rank_mask(rank_of(to)) & own;
    if (!behind) return NO_HELPER;
    const Square nearest = colour == WHITE ? 63 - std::countl_zero(behind) : lowest_square(behind);
    return rank_distance(to, nearest);
}

// Own pawns that can stand on a square defending `q`: already there, or walking up over safe
// squares without a pawn in their way.
int supporters(Square q, int colour, Bitboard own, Bitboard enemy, Bitboard own_safe) {
    const Bitboard pawns = own | enemy;
    int count = 0;
    for (Bitboard posts = pawn_attackers_mask(q, colour); posts;) {
        for (Square s = pop_lowest(posts);
             relative_rank(s, colour) >= 1 && (own_safe & square_bit(s)); s -= pawn_push(colour)) {
            if (pawns & square_bit(s)) {
                count += (own & square_bit(s)) != 0;
                break;
            }
        }
    }
    return count;
}

}  // namespace

StagePair candidate_score(Square s, int colour, Bitboard own, Bitboard enemy, Bitboard own_safe,
                          Square enemy_king) {
    if ((own | enemy) & file_ahead(s, colour)) return {};
    if (!(tables.square_masks[s][ADJACENT_FILES] & own)) return {};
    // The first square of its path that an enemy pawn guards; none means it is passed already.
    Bitboard guarded = (file_ahead(s, colour) | square_bit(s)) & pawn_attacks(enemy, colour ^ 1);
    if (!guarded) return {};
    const Square q = colour == WHITE ? lowest_square(guarded) : 63 - std::countl_zero(guarded);
    const int sentries = popcount(pawn_attackers_mask(q, colour ^ 1) & enemy);
    if (sentries > supporters(q, colour, own, enemy, own_safe)) return {};
    const Square beyond = q + pawn_push(colour);
    if (relative_rank(q, colour) < 7 && (pawn_attackers_mask(beyond, colour ^ 1) & enemy))
        return {};

    const int left = ranks_back_to_helper(q, file_of(q) - 1, colour, own);
    const int right = ranks_back_to_helper(q, file_of(q) + 1, colour, own);
    const int steps = rank_distance(q, s) + (sentries >= 2 ? left + right : std::min(left, right));
    const int steps_factor = steps < 12 ? STEPS_FACTOR[steps] : 0;
    const int king = enemy_king == NO_KING ? 0 : file_distance(enemy_king, s);
    const int rank = relative_rank(q, colour);
    return {std::max(2, RANK_VALUE[0][rank] * KING_FACTOR[0][king] * steps_factor / 16384),
            std::max(5, RANK_VALUE[1][rank] * KING_FACTOR[1][king] * steps_factor / 16384)};
}

void add_candidate_scores(const Position& p, PawnKingBlock& block) {
    StagePair side[2];
    for (int c = BLACK; c <= WHITE; ++c) {
        const Bitboard own = p.pieces[piece_of(PAWN, c)], enemy = p.pieces[piece_of(PAWN, c ^ 1)];
        for (int files = block.candidate_files[c]; files; files &= files - 1) {
            // Only the front pawn of a file can be a candidate.
            const Bitboard on_file = own & file_mask(std::countr_zero(unsigned(files)));
            const Square s = c == WHITE ? 63 - std::countl_zero(on_file) : lowest_square(on_file);
            const StagePair score =
                candidate_score(s, c, own, enemy, block.safe_advance[c], p.king_sq[c ^ 1]);
            side[c].mg += score.mg;
            side[c].eg += score.eg;
        }
    }
    block.structure[MIDDLEGAME] =
        int16_t(block.structure[MIDDLEGAME] + side[WHITE].mg - side[BLACK].mg);
    block.structure[ENDGAME] = int16_t(block.structure[ENDGAME] + side[WHITE].eg - side[BLACK].eg);
}
