// Check evasions, generated legal: king steps, then captures and blocks by unpinned pieces.
#include "board/movegen.h"
#include "board/movegen_common.h"

using namespace movegen_detail;

namespace {

struct Checkers {
    Bitboard set = 0;
    int slider_directions[2] = {0, 0};  // direction from each sliding checker to the king
    int sliders = 0;
};

template <int Us>
Checkers find_checkers(const Position& p) {
    constexpr int Them = Us ^ 1;
    Square king = p.king_sq[Us];
    Checkers c;
    Bitboard sliding = (rook_attacks(p, king) & p.rooks_queens[Them]) |
                       (bishop_attacks(p, king) & p.bishops_queens[Them]);
    c.set = sliding | (pawn_attackers_mask(king, Them) & p.pieces[piece_of(PAWN, Them)]) |
            (tables.knight_attacks[king] & p.pieces[piece_of(KNIGHT, Them)]);
    while (sliding && c.sliders < 2) {
        Square s = pop_lowest(sliding);
        c.slider_directions[c.sliders++] = direction(s, king);
    }
    return c;
}

// King steps to unattacked squares. The king's own body hides the squares behind it on a
// checking line from the attack lookup, so those are excluded by direction; the enemy's
// leapers are tested in one pass.
template <int Us>
void gen_king_evasions(const Position& p, Move* list, int& count, const Checkers& c) {
    constexpr int Them = Us ^ 1;
    Square king = p.king_sq[Us];
    Bitboard targets = tables.king_attacks[king] & ~p.pieces[Us];
    if (targets) targets &= ~leaper_attacks(p, Them);
    while (targets) {
        Square to = pop_lowest(targets);
        int d = direction(king, to);
        if (c.sliders > 0 && d == c.slider_directions[0]) continue;
        if (c.sliders > 1 && d == c.slider_directions[1]) continue;
        if ((rook_attacks(p, to) & p.rooks_queens[Them]) || (bishop_attacks(p, to) & p.bishops_queens[Them]))
            continue;
        add(list, count, p, king, to);
    }
}

// Whether taking en passant from `from` leaves the king free of slider attacks, with both pawns
// gone and the capturing pawn on the en-passant square.
template <int Us>
bool en_passant_is_safe(const Position& p, Square from, Square victim) {
    constexpr int Them = Us ^ 1;
    Square ep = p.ep_square, king = p.king_sq[Us];
    Bitboard o[4];
    for (int i = 0; i < 4; ++i)
        o[i] = occupancy(p, i) ^ tables.square_bits[from][i] ^ tables.square_bits[victim][i] ^
               tables.square_bits[ep][i];
    Bitboard rooks = p.rooks_queens[Them] & ~square_bit(victim);
    Bitboard bishops = p.bishops_queens[Them] & ~square_bit(victim);
    return !(rook_attacks(king, o[ORIENT_RANK], o[ORIENT_FILE]) & rooks) &&
           !(bishop_attacks(king, o[ORIENT_A1H8], o[ORIENT_H1A8]) & bishops);
}

template <int Us>
void gen_en_passant_evasions(const Position& p, Move* list, int& count, Square checker) {
    using G = PawnGeometry<Us>;
    Square ep = p.ep_square;
    if (ep == 0 || checker != ep - G::PUSH) return;
    Bitboard capturers = pawn_attackers_mask(ep, Us) & p.pieces[piece_of(PAWN, Us)];
    for (int file_step : {1, -1}) {  // the pawn capturing towards the a-file first
        Square from = ep - G::PUSH + file_step;
        if ((capturers & square_bit(from)) && en_passant_is_safe<Us>(p, from, checker))
            list[count++] = make_move_value(from, ep, piece_of(PAWN, Us));
    }
}

template <int Us>
void gen_pawn_evasions(const Position& p, Move* list, int& count, Square checker, Bitboard block) {
    using G = PawnGeometry<Us>;
    Bitboard pawns = p.pieces[piece_of(PAWN, Us)];
    auto add_unpinned = [&](Square from, Square to) {
        if (!is_pinned(p, Us, from)) add_pawn_move(list, count, p, from, to);
    };
    Bitboard checker_bit = square_bit(checker);
    if (shift_by(pawns & NOT_FILE_A, G::CAPTURE_A_SIDE) & checker_bit)
        add_unpinned(checker - G::CAPTURE_A_SIDE, checker);
    if (shift_by(pawns & NOT_FILE_H, G::CAPTURE_H_SIDE) & checker_bit)
        add_unpinned(checker - G::CAPTURE_H_SIDE, checker);

    Bitboard empty = ~p.all_pieces;
    Bitboard single = shift_by(pawns, G::PUSH) & empty;
    Bitboard doubles = shift_by(single & shift_by(G::START_RANK, G::PUSH), G::PUSH) & empty & block;
    single &= block;
    while (single) {
        Square to = pop_lowest(single);
        add_unpinned(to - G::PUSH, to);
    }
    while (doubles) {
        Square to = pop_lowest(doubles);
        add_unpinned(to - 2 * G::PUSH, to);
    }
}

template <int Us>
void gen_evasions_for(const Position& p, Move* list, int& count) {
    Checkers c = find_checkers<Us>(p);
    gen_king_evasions<Us>(p, list, count, c);
    if (popcount(c.set) != 1) return;

    Square king = p.king_sq[Us];
    Square checker = lowest_square(c.set);
    Bitboard block = c.set;
    if (c.sliders) block |= between(checker, king, c.slider_directions[0]);
    // A pinned piece can never capture or block the checker: its pin line and the check line
    // meet only at the king.
    // Most pieces cannot reach the check line even on an empty board; they are passed over
    // before the real attack lookup.
    auto reaches = [&](int o1, int o2, Square s) {
        return (tables.line_attacks[o1][s][0] | tables.line_attacks[o2][s][0]) & block;
    };
    add_piece_moves(list, count, p, p.rooks_queens[Us], [&](Square s) -> Bitboard {
        if (!reaches(ORIENT_RANK, ORIENT_FILE, s) || is_pinned(p, Us, s)) return 0;
        return rook_attacks(p, s) & block;
    });
    add_piece_moves(list, count, p, p.bishops_queens[Us], [&](Square s) -> Bitboard {
        if (!reaches(ORIENT_A1H8, ORIENT_H1A8, s) || is_pinned(p, Us, s)) return 0;
        return bishop_attacks(p, s) & block;
    });
    add_piece_moves(list, count, p, p.pieces[piece_of(KNIGHT, Us)], [&](Square s) -> Bitboard {
        Bitboard reach = tables.knight_attacks[s] & block;
        return reach && !is_pinned(p, Us, s) ? reach : 0;
    });
    gen_en_passant_evasions<Us>(p, list, count, checker);
    gen_pawn_evasions<Us>(p, list, count, checker, block);
}

}  // namespace

void gen_evasions(const Position& p, Move* list, int& count) {
    if (p.turn == WHITE)
        gen_evasions_for<WHITE>(p, list, count);
    else
        gen_evasions_for<BLACK>(p, list, count);
}
