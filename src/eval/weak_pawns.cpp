// Weak pawns: isolated ones, without a neighbour, and backward ones, that their neighbours
// cannot defend on a square they cannot leave safely.
#include "board/attacks.h"
#include "eval/pawn_rules.h"
#include "eval/square_sets.h"

namespace {

int defenders(Square s, int colour, Bitboard own) {
    return popcount(pawn_attackers_mask(s, colour) & own);
}
int attackers(Square s, int colour, Bitboard enemy) {
    return popcount(pawn_attackers_mask(s, colour ^ 1) & enemy);
}

// Whether the pawn is out of trouble: defended, soon defended, or free to step up beside its
// neighbours.
bool can_be_held(Square s, int colour, Bitboard own, Bitboard enemy) {
    const int held = defenders(s, colour, own), attacks = attackers(s, colour, enemy);
    if (held > attacks) return true;
    if (held + pawns_able_to_come_defend(s, colour, own, enemy) > attacks) return true;
    const Square ahead = s + pawn_push(colour), ahead2 = ahead + pawn_push(colour);
    const Bitboard pawns = own | enemy;
    if (relative_rank(s, colour) == 1 && !(pawns & (square_bit(ahead) | square_bit(ahead2))) &&
        attackers(ahead, colour, enemy) == 0 &&
        defenders(ahead2, colour, own) > attackers(ahead2, colour, enemy))
        return true;
    return !(pawns & square_bit(ahead)) &&
           defenders(ahead, colour, own) + pawns_able_to_come_defend(ahead, colour, own, enemy) >
               attackers(ahead, colour, enemy);
}

}  // namespace

int pawns_able_to_come_defend(Square target, int colour, Bitboard own, Bitboard enemy) {
    const Bitboard pawns = own | enemy;
    int count = 0;
    for (Bitboard posts = pawn_attackers_mask(target, colour) & ~own; posts;) {
        // Down the post's file until the first pawn: it comes if it is ours and every square
        // on its way is free of enemy pawn attacks.
        for (Square s = pop_lowest(posts); relative_rank(s, colour) >= 1; s -= pawn_push(colour)) {
            if (pawns & square_bit(s)) {
                count += (own & square_bit(s)) != 0;
                break;
            }
            if (pawn_attackers_mask(s, colour ^ 1) & enemy) break;
        }
    }
    return count;
}

StagePair isolated_penalty(Square s, int colour, Bitboard own, Bitboard enemy) {
    const Square ahead = s + pawn_push(colour);
    const bool stopped =
        ((own | enemy) & square_bit(ahead)) || (pawn_attackers_mask(ahead, colour ^ 1) & enemy);
    if (file_ahead(s, colour) & enemy) return stopped ? StagePair{10, 17} : StagePair{8, 16};
    const int file = file_of(s), base = stopped ? 19 : 18;
    return {base + (file == 3 || file == 4 ? 7 : file == 2 || file == 5 ? 6 : 0), base};
}

StagePair backward_penalty(Square s, int colour, Bitboard own, Bitboard enemy) {
    if (can_be_held(s, colour, own, enemy)) return {};
    const int file = file_of(s);
    const bool centre = file == 3 || file == 4, flank = file == 2 || file == 5;
    const Square ahead = s + pawn_push(colour);
    const Bitboard defended_own = own & pawn_attacks(own, colour);
    if (file_ahead(s, colour) & (enemy | defended_own)) {
        // Fixed behind a pawn on its file.
        if ((own | enemy) & square_bit(ahead)) return {centre ? 6 : flank ? 3 : 0, 3};
        int mg = centre ? 17 : flank ? 12 : 7;
        if (relative_rank(s, colour) == 1 && (file == 1 || file == 6)) mg += 7;
        return {mg, 9};
    }
    // On a file open ahead the enemy's pieces can reach it.
    const bool helpless =
        defenders(ahead, colour, own) + pawns_able_to_come_defend(ahead, colour, own, enemy) == 0;
    int mg = helpless && attackers(ahead, colour, enemy) == 2 ? 25 : 10;
    if (centre) mg += (adjacent_files_behind(s, colour) & own) ? 6 : 12;
    if (flank) mg += 2;
    return {mg, 3};
}
