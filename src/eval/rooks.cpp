// Rooks: mobility, the seventh rank, weak pawns, and their part in both kings' fight.
#include <algorithm>

#include "eval/eval_options.h"
#include "eval/mobility.h"
#include "eval/piece_terms.h"

namespace {

// Per 128 of the raw mobility, by the enemy's piece count: open lines matter most late.
constexpr int MOBILITY_WEIGHT[13] = {200, 200, 200, 175, 160, 155, 155, 155, 155, 155, 150, 150, 200};
constexpr int MOBILITY_STEPS_TOP = 34;
constexpr int MOBILITY_STEPS[MOBILITY_STEPS_TOP + 1] = {
    -4, -4, 2,  8,  14, 19, 24, 28, 32, 36, 40,  44,  48,  52,  56,  60,  64, 68,
    72, 76, 79, 82, 85, 88, 91, 94, 97, 100, 103, 106, 109, 112, 115, 118, 120};
// By the file distance to the own king's file.
constexpr int DEFENCE_ON_OPEN_FILE[3] = {30, 25, 18};
constexpr int DEFENCE_ON_HALF_OPEN_FILE[3] = {24, 20, 14};
// By the smaller of the file and rank distance to the enemy king, 3 meaning 3 or more.
constexpr int ATTACK_FROM_AFAR[4] = {23, 22, 8, 0};
constexpr int ATTACK_NEXT_TO_KING[4] = {30, 25, 8, 0};
constexpr int ATTACK_NEXT_TO_KING_EMPTY[4] = {36, 35, 8, 0};

constexpr Bitboard SEVENTH_RANK = RANK_7;
constexpr Bitboard BACK_HALF_FOR_ENEMY = box(0, 7, 4, 7);  // ranks 5-8 from White's side

int mobility(const Position& p, Square s, int enemy_pieces) {
    const int rank = line_mobility(ORIENT_RANK, s, p.all_pieces);
    int m = (3 * rank / 2 + line_mobility(ORIENT_FILE, s, p.rot_90) +
             line_mobility(ORIENT_FILE, s, p.rot90_x)) / 4;
    if (!smooth_mobility) m = MOBILITY_STEPS[std::min((m + 2) / 4, MOBILITY_STEPS_TOP)];
    return m * MOBILITY_WEIGHT[std::min(enemy_pieces, 12)] / 128;
}

int seventh_rank(const Position& p, const EvalInfo& info, Square s, int us) {
    const int them = us ^ 1;
    const Square king = p.king_sq[them];
    if (relative_rank(s, us) != 6 || relative_rank(king, us) != 7) return 0;
    const Bitboard seventh = relative_set(SEVENTH_RANK, us);
    const Bitboard along = line_lookup(ORIENT_RANK, s, p.all_pieces);
    // Of two rooks that see each other on the seventh, neither takes this bonus.
    if (along & p.pieces[piece_of(ROOK, us)]) return 0;
    int v = 6;
    if (along & p.rooks_queens[us]) v += 10;
    const Bitboard king_side_squares = tables.king_attacks[king] & seventh;
    const Bitboard covered = line_lookup(ORIENT_RANK, s, p.rot0_x);
    if ((along & p.rooks_queens[them]) == 0 && (king_side_squares & ~covered) == 0) {
        v += 10;
        const Bitboard passers = info.passed_pawns[them];
        if (passers & relative_set(BACK_HALF_FOR_ENEMY, us)) v += 25;
        if (passers & ~relative_set(BACK_HALF_FOR_ENEMY, us)) v += 12;
    }
    return v;
}

// A rook on an open or half-open file beside its king, free to come across to it.
int king_defence(const Position& p, Square s, Bitboard attacks, int us) {
    const Square king = p.king_sq[us];
    // Files next to a corner king's file count from one file in; the value is by the distance
    // to the king's own file.
    if (std::abs(file_of(s) - std::clamp(file_of(king), 1, 6)) > 1) return 0;
    const int distance = std::abs(file_of(s) - file_of(king));
    const Bitboard file = file_mask(file_of(s));
    if (file & p.pieces[piece_of(PAWN, us)]) return 0;
    // Shut in between its king and the corner.
    if (rank_of(s) == rank_of(king) && std::abs(2 * file_of(s) - 7) > std::abs(2 * file_of(king) - 7))
        return 0;
    if ((file & p.all_pawns) == 0) return DEFENCE_ON_OPEN_FILE[distance];
    if (attacks & tables.king_attacks[king]) return DEFENCE_ON_HALF_OPEN_FILE[distance];
    return 0;
}

int king_attack(const Position& p, const EvalInfo& info, Square s, Bitboard attacks,
                Bitboard xray_attacks, int us) {
    const int them = us ^ 1;
    const Square king = p.king_sq[them];
    const Bitboard zone = tables.square_masks[king][KING_ZONE];
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, them)];
    const bool on_king_files = file_distance(s, king) <= 1 && (file_ahead(s, us) & their_pawns) == 0;
    if ((xray_attacks & zone) == 0 && !on_king_files) return 0;
    const int distance = std::min({file_distance(s, king), rank_distance(s, king), 3});
    const Bitboard next_to_king = attacks & tables.king_attacks[king] & ~info.attacks[them][PAWN];
    int v = next_to_king == 0                  ? ATTACK_FROM_AFAR[distance]
            : (next_to_king & ~p.all_pieces) ? ATTACK_NEXT_TO_KING_EMPTY[distance]
                                             : ATTACK_NEXT_TO_KING[distance];
    if (attacks & zone) v = v * 3 / 2;
    const Bitboard zone_hits = (attacks | xray_attacks) & zone;
    return v * ((zone_hits & their_pawns) ? 86 : 104) / 128;
}

}  // namespace

int rook_scores(const Position& p, EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Bitboard rooks = p.pieces[piece_of(ROOK, us)];
    if (!rooks) return 0;
    const Bitboard own_pawns = p.pieces[piece_of(PAWN, us)];
    const Bitboard their_pawns = p.pieces[piece_of(PAWN, them)];
    const Bitboard loose_weak = info.block.weak_pawns[them] & ~tables.king_attacks[p.king_sq[them]];
    const Bitboard blocked = them == WHITE ? p.all_pieces >> 8 : p.all_pieces << 8;
    const Bitboard firm_pawns = their_pawns & (info.attacks[them][PAWN] | blocked);
    const Bitboard out_of_reach = ~info.attacks[them][PAWN] & ~own_pawns;
    int total = 0;
    for (Bitboard b = rooks; b;) {
        const Square s = pop_lowest(b);
        const Bitboard attacks = rook_attacks(p, s);
        const Bitboard xray_attacks = rook_attacks(s, p.rot0_x, p.rot90_x);
        info.attacks[us][ROOK] |= attacks;
        total += mobility(p, s, p.piece_count[them]);
        total += seventh_rank(p, info, s, us);
        if (attacks & loose_weak) total += 17;
        if (file_ahead(s, us) & firm_pawns) total -= 7;
        if ((xray_attacks & out_of_reach) == 0) total -= 25;
        if (info.king_attack[them]) info.king_defence_sum[us] += king_defence(p, s, attacks, us);
        if (info.king_attack[us])
            info.king_attack_sum[us] += king_attack(p, info, s, attacks, xray_attacks, us);
    }
    return total;
}
