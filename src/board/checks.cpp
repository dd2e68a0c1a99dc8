// Quiet checking moves for the quiescence search.
#include "board/movegen.h"
#include "board/movegen_common.h"

using namespace movegen_detail;

namespace {

// Those of `blockers` (our pieces that the enemy king's lines reach) that shield the king from
// one of `sliders` (ours, of the lines' kind) standing right behind them.
Bitboard shielding(const Position& p, Square king, Bitboard blockers, Bitboard sliders) {
    Bitboard found = 0;
    while (blockers) {
        Square s = pop_lowest(blockers);
        int d = direction(king, s);
        int o = ORIENTATION_OF_DIRECTION[d + 9];
        if (line_lookup(o, s, occupancy(p, o)) & ray(s, d) & sliders) found |= square_bit(s);
    }
    return found;
}

// The pieces of one kind that can only check directly (onto `checks`), then those whose
// departure uncovers a check and so check from any square they reach.
template <typename Reach>
void add_kind(Move* list, int& count, const Position& p, Bitboard pieces, Bitboard candidates,
              Bitboard safe, Bitboard checks, Reach reach) {
    add_piece_moves(list, count, p, pieces & ~candidates,
                    [&](Square s) { return reach(s) & safe & checks; });
    add_piece_moves(list, count, p, pieces & candidates, [&](Square s) { return reach(s) & safe; });
}

// Pushes onto `targets`, each `push` squares ahead of its pawn.
void add_pushes(Move* list, int& count, const Position& p, Bitboard targets, int push) {
    while (targets) {
        Square to = pop_lowest(targets);
        add_pawn_move(list, count, p, to - push, to);
    }
}

}  // namespace

Bitboard gen_checks(const Position& p, Move* list, int& count) {
    const int us = p.turn, them = us ^ 1;
    const Square king = p.king_sq[them];
    const Bitboard rook_checks = rook_attacks(p, king);
    const Bitboard bishop_checks = bishop_attacks(p, king);
    const Bitboard knight_checks = tables.knight_attacks[king];
    const Bitboard pawn_checks = pawn_attackers_mask(king, us);
    const Bitboard pawns = p.pieces[piece_of(PAWN, us)];

    // A pawn on the king's file cannot leave it by pushing, so it uncovers nothing.
    Bitboard candidates = shielding(p, king, rook_checks & p.pieces[us], p.rooks_queens[us]) |
                          shielding(p, king, bishop_checks & p.pieces[us], p.bishops_queens[us]);
    candidates &= ~(pawns & file_mask(file_of(king)));

    // A piece put where an enemy pawn takes it is not worth a quiescence check.
    const Bitboard safe = ~p.all_pieces & ~pawn_attacks(p.pieces[piece_of(PAWN, them)], them);
    auto queen_moves = [&](Square s) {
        return queen_attacks(p, s) & safe & (rook_checks | bishop_checks);
    };
    add_piece_moves(list, count, p, p.pieces[piece_of(QUEEN, us)], queen_moves);

    auto rook_reach = [&](Square s) { return rook_attacks(p, s); };
    auto bishop_reach = [&](Square s) { return bishop_attacks(p, s); };
    auto knight_reach = [](Square s) { return tables.knight_attacks[s]; };
    add_kind(list, count, p, p.pieces[piece_of(ROOK, us)], candidates, safe, rook_checks,
             rook_reach);
    add_kind(list, count, p, p.pieces[piece_of(BISHOP, us)], candidates, safe, bishop_checks,
             bishop_reach);
    add_kind(list, count, p, p.pieces[piece_of(KNIGHT, us)], candidates, safe, knight_checks,
             knight_reach);

    const int push = us == WHITE ? 8 : -8;
    const Bitboard empty = ~p.all_pieces;
    const Bitboard singles = shift_by(pawns, push) & empty;
    const Bitboard start_rank = us == WHITE ? RANK_2 : RANK_7;
    const Bitboard doubles = shift_by(singles & shift_by(start_rank, push), push) & empty;
    const Bitboard uncovering = pawns & candidates;
    add_pushes(list, count, p, doubles & (pawn_checks | shift_by(uncovering, 2 * push)), 2 * push);
    add_pushes(list, count, p, singles & (pawn_checks | shift_by(uncovering, push)), push);
    return candidates;
}
