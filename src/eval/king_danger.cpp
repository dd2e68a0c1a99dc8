// A king's danger: its shelter, or the shelter it can still castle into, against the attack
// the enemy pieces gathered, less what the own pieces defend, scaled by the attacking material.
#include <algorithm>

#include "eval/king_terms.h"
#include "eval/piece_terms.h"

namespace {

// By the development count of the castling wing.
constexpr int DEVELOPMENT_COST[6] = {30, 60, 100, 100, 100, 55};
// The enemy queen by its king distance: reaching the king's zone, near the king's files, far.
constexpr int QUEEN_IN_ZONE[8] = {0, 0, 80, 64, 46, 32, 32, 32};
constexpr int QUEEN_NEAR[8] = {0, 0, 80, 64, 18, -16, -32, -32};
constexpr int QUEEN_FAR[8] = {0, 0, 80, 30, -16, -32, -32, -32};
constexpr int NO_QUEEN = -32;
// Per 128, by the attacking material: without enough of it no attack is worth fearing.
constexpr int DANGER_FACTOR[13] = {0, 0, 0, 0, 0, 0, 0, 0, 32, 42, 68, 92, 128};

// What the own pieces and pawns cover, the king apart.
Bitboard covered_by(const EvalInfo& info, int colour) {
    const Bitboard* a = info.attacks[colour];
    return a[PAWN] | a[KNIGHT] | a[BISHOP] | a[ROOK] | a[QUEEN];
}

// How well placed the enemy's best queen is to join an attack on the king of `us`.
int queen_value(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Square king = p.king_sq[us];
    const Bitboard zone = tables.square_masks[king][KING_ZONE];
    const Bitboard next_to_king = tables.king_attacks[king];
    const Bitboard cover = covered_by(info, us);
    const Bitboard king_files = (file_mask(file_of(king)) | tables.square_masks[king][ADJACENT_FILES]) &
                                ~relative_set(RANK_1, us);
    int best = NO_QUEEN;
    for (Bitboard b = p.pieces[piece_of(QUEEN, them)]; b;) {
        const Square s = pop_lowest(b);
        const Bitboard attacks = attacks_of_queen(p, info, s, them);
        const int steps = distance(s, king), files_apart = file_distance(s, king);
        int q;
        if (attacks & zone) {
            q = QUEEN_IN_ZONE[steps] + ((attacks & zone & next_to_king) ? 8 : 0);
            if (files_apart >= 3 && steps >= 4) q = 24;
        } else {
            q = files_apart < 3 ? QUEEN_NEAR[steps] : QUEEN_FAR[steps];
        }
        if (attacks & ~p.all_pieces & (zone | king_files) & ~cover) q = std::max(q, 0);
        const Bitboard reach = attacks & next_to_king;
        if (reach && ((reach & ~p.pieces[us]) == 0 || (reach & ~cover) == 0)) q = std::min(q, 24);
        best = std::max(best, q);
    }
    return best;
}

// The shelter the king can expect: its own, or that of a castle square it can still reach.
int expected_shelter(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Square king = p.king_sq[us];
    const Bitboard own = p.pieces[us];
    const PawnKingBlock& block = info.block;
    const int king_right = us == WHITE ? WKC : BKC, queen_right = us == WHITE ? WQC : BQC;
    const bool can_castle = p.castle_flags & (king_right | queen_right);
    int d = info.king_safety[us];
    if (!can_castle && p.piece_count[them] >= 6 && (file_of(king) == 3 || file_of(king) == 4)) {
        const Bitboard free = tables.king_attacks[king] & ~own & ~attacked_by(info, them);
        if ((free & relative_set(named("c1c2f1f2"), us)) == 0) d += 30;
    }
    const int king_wing = block.castle_shelter[KING_WING][us];
    const int queen_wing = block.castle_shelter[QUEEN_WING][us];
    // Pieces still between the king and its castle square are part of the development count,
    // so the castled shelter is offered whatever stands there, at the price of that count.
    if (p.castle_flags & king_right)
        d = std::min(d, DEVELOPMENT_COST[development_count(p, us, KING_WING)] + king_wing);
    if (p.castle_flags & queen_right)
        d = std::min(d, DEVELOPMENT_COST[development_count(p, us, QUEEN_WING)] + queen_wing);
    if (!can_castle) {
        // A king one step from a castle square gets there soon enough.
        const Square g1 = relative_square(6, us), b1 = relative_square(1, us);
        if ((tables.king_attacks[g1] & square_bit(king)) && !(own & square_bit(g1)))
            d = std::min(d, 30 + king_wing);
        if ((tables.king_attacks[b1] & square_bit(king)) && !(own & square_bit(b1)))
            d = std::min(d, 30 + queen_wing);
    }
    return d;
}

}  // namespace

int development_count(const Position& p, int us, int wing) {
    const Bitboard own = p.pieces[us];
    auto has = [&](Bitboard white_view) {
        const Bitboard set = relative_set(white_view, us);
        return (own & set) == set;
    };
    auto piece_on = [&](int type, const char* square) {
        return (p.pieces[piece_of(type, us)] & relative_set(named(square), us)) != 0;
    };
    if (wing == KING_WING)
        return popcount(own & relative_set(named("f1g1"), us)) +
               (piece_on(KNIGHT, "g1") && has(named("e2f3h3"))) +
               (piece_on(BISHOP, "f1") && has(named("e2g2")));
    return popcount(own & relative_set(named("b1c1d1"), us)) +
           (piece_on(KNIGHT, "b1") && has(named("d2a3c3"))) +
           (piece_on(BISHOP, "c1") && has(named("b2d2")));
}

int king_danger(const Position& p, EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Square king = p.king_sq[us];
    int d = expected_shelter(p, info, us);

    int& attack = info.king_attack_sum[them];
    // A large gathering of attackers weighs more against the queen, but only in this product.
    const int gathered = attack > 55 ? attack + (attack - 55) / 2 : attack;
    // The queen turns shelter holes and gathered attackers into a real threat, or into little.
    const int t = (d + gathered) * queen_value(p, info, us) / 128;
    if (t > 80) attack += 80;
    else if (t > 0 && t < 13) attack += 12;
    else if (t >= 13) attack += t;
    else info.king_defence_sum[us] -= t;

    int defence = info.king_defence_sum[us];
    if (defence > 50) defence -= (defence - 50) / 2;
    int a = attack;
    if (d > 45) a += d - 45, d = 45;
    const int net = defence > a / 2 ? a / 2 : a - defence;

    const Bitboard pawn_pressure = info.attacks[them][PAWN] & tables.king_attacks[king] & ~info.attacks[us][PAWN];
    const int material = info.attack_material[them] + (pawn_pressure ? 2 : 0) +
                         (popcount(p.pieces[piece_of(BISHOP, them)]) >= 2);
    return (net + d) * DANGER_FACTOR[std::min(material, 12)] / 128;
}
