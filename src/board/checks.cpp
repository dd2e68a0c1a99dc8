#include "board/attacks.h"
#include "board/movegen.h"

namespace {

constexpr int PROMOTION_ORDER[] = {QUEEN, KNIGHT, ROOK, BISHOP};

// Squares attacked by the given pawns of `colour`.
Bitboard pawn_attack_set(Bitboard pawns, int colour) {
    if (colour == WHITE) return (pawns & NOT_FILE_A) << 7 | (pawns & NOT_FILE_H) << 9;
    return (pawns & NOT_FILE_H) >> 7 | (pawns & NOT_FILE_A) >> 9;
}

// Own pieces that are the only thing between the enemy king and one of our sliders of the
// line's kind. `line_blockers` are our pieces the king's lines reach; `sliders` our sliders
// moving along those lines.
Bitboard shielding(const Position& p, Square king, Bitboard line_blockers, Bitboard sliders) {
    Bitboard found = 0;
    while (line_blockers) {
        Square s = pop_lowest(line_blockers);
        int d = direction(king, s);
        int o = ORIENTATION_OF_DIRECTION[d + 9];
        if (line_lookup(o, s, occupancy(p, o)) & ray(s, d) & sliders) found |= square_bit(s);
    }
    return found;
}

void add_moves(Move* list, int& count, Square from, Bitboard targets, int piece) {
    while (targets) list[count++] = make_move_value(from, pop_lowest(targets), piece);
}

// Pieces of code `piece` from `movers` to the targets their attack function reaches inside
// `allowed`.
template <typename AttackFn>
void add_piece_moves(Move* list, int& count, Bitboard movers, int piece, Bitboard allowed,
                     AttackFn attacks) {
    while (movers) {
        Square from = pop_lowest(movers);
        add_moves(list, count, from, attacks(from) & allowed, piece);
    }
}

// Pushes onto `targets`, which lie `step` squares ahead of their pawns.
void add_pushes(Move* list, int& count, Bitboard targets, int step, int pawn) {
    int colour = colour_of(pawn);
    while (targets) {
        Square to = pop_lowest(targets);
        Square from = to - step;
        if (rank_of(to) == 0 || rank_of(to) == 7) {
            for (int type : PROMOTION_ORDER)
                list[count++] = make_move_value(from, to, pawn, EMPTY, piece_of(type, colour));
        } else {
            list[count++] = make_move_value(from, to, pawn);
        }
    }
}

}  // namespace

Bitboard gen_checks(const Position& p, Move* list, int& count) {
    const int us = p.turn, them = us ^ 1;
    const Square king = p.king_sq[them];
    const Bitboard own = p.pieces[us];
    const Bitboard rook_checks = rook_attacks(p, king);
    const Bitboard bishop_checks = bishop_attacks(p, king);
    const Bitboard knight_checks = tables.knight_attacks[king];
    const Bitboard pawn_checks = pawn_attackers_mask(king, us);
    const int pawn = piece_of(PAWN, us);

    // A pawn on the king's file cannot leave it by pushing, so it uncovers nothing.
    Bitboard candidates = shielding(p, king, rook_checks & own, p.rooks_queens[us]) |
                          shielding(p, king, bishop_checks & own, p.bishops_queens[us]);
    candidates &= ~(p.pieces[pawn] & file_mask(file_of(king)));

    // A piece put where an enemy pawn takes it is not worth a quiescence check.
    const Bitboard safe = ~p.all_pieces & ~pawn_attack_set(p.pieces[piece_of(PAWN, them)], them);
    auto rook_fn = [&](Square s) { return rook_attacks(p, s); };
    auto bishop_fn = [&](Square s) { return bishop_attacks(p, s); };
    auto knight_fn = [](Square s) { return tables.knight_attacks[s]; };

    auto queen_fn = [&](Square s) { return queen_attacks(p, s); };
    add_piece_moves(list, count, p.pieces[piece_of(QUEEN, us)], piece_of(QUEEN, us),
                    safe & (rook_checks | bishop_checks), queen_fn);
    const Bitboard rooks = p.pieces[piece_of(ROOK, us)];
    add_piece_moves(list, count, rooks & ~candidates, piece_of(ROOK, us), safe & rook_checks,
                    rook_fn);
    add_piece_moves(list, count, rooks & candidates, piece_of(ROOK, us), safe, rook_fn);
    const Bitboard bishops = p.pieces[piece_of(BISHOP, us)];
    add_piece_moves(list, count, bishops & ~candidates, piece_of(BISHOP, us), safe & bishop_checks,
                    bishop_fn);
    add_piece_moves(list, count, bishops & candidates, piece_of(BISHOP, us), safe, bishop_fn);
    const Bitboard knights = p.pieces[piece_of(KNIGHT, us)];
    add_piece_moves(list, count, knights & ~candidates, piece_of(KNIGHT, us), safe & knight_checks,
                    knight_fn);
    add_piece_moves(list, count, knights & candidates, piece_of(KNIGHT, us), safe, knight_fn);

    const Bitboard empty = ~p.all_pieces;
    const Bitboard pawns = p.pieces[pawn];
    const int step = us == WHITE ? 8 : -8;
    auto advance = [us](Bitboard b) { return us == WHITE ? b << 8 : b >> 8; };
    const Bitboard from_candidates = advance(pawns & candidates);
    const Bitboard singles = advance(pawns) & empty;
    const Bitboard doubles = advance(singles & (us == WHITE ? rank_mask(2) : rank_mask(5))) & empty;
    add_pushes(list, count, doubles & (pawn_checks | advance(from_candidates)), 2 * step, pawn);
    add_pushes(list, count, singles & (pawn_checks | from_candidates), step, pawn);
    return candidates;
}
