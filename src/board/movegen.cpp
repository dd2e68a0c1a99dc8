// Captures and quiet moves, the two stages the search generates separately.
#include "board/movegen.h"

#include "board/movegen_common.h"
#include "board/t_move_basics.h"

using namespace movegen_detail;

namespace {

template <int Us>
void gen_pawn_captures(const Position& p, Move* list, int& count, Bitboard targets) {
    using G = PawnGeometry<Us>;
    Bitboard pawns = p.pieces[piece_of(PAWN, Us)];
    // Pawns capturing towards the a-file must not stand on it, and likewise for the h-file.
    Bitboard a_side = shift_by(pawns & NOT_FILE_A, G::CAPTURE_A_SIDE) & targets;
    while (a_side) {
        Square to = pop_lowest(a_side);
        add_pawn_move(list, count, p, to - G::CAPTURE_A_SIDE, to);
    }
    Bitboard h_side = shift_by(pawns & NOT_FILE_H, G::CAPTURE_H_SIDE) & targets;
    while (h_side) {
        Square to = pop_lowest(h_side);
        add_pawn_move(list, count, p, to - G::CAPTURE_H_SIDE, to);
    }
}

template <int Us>
void gen_en_passant(const Position& p, Move* list, int& count) {
    Square ep = p.ep_square;
    if (ep == 0 || (Us == WHITE ? rank_of(ep) != 5 : rank_of(ep) != 2)) return;
    Bitboard capturers = pawn_attackers_mask(ep, Us) & p.pieces[piece_of(PAWN, Us)];
    // The pawn capturing towards the a-file stands on the higher file: take it first.
    int pawn = piece_of(PAWN, Us);
    for (int file_step : {1, -1}) {
        Square from = ep - PawnGeometry<Us>::PUSH + file_step;
        if (capturers & square_bit(from)) list[count++] = make_move_value(from, ep, pawn);
    }
}

template <int Us>
void gen_captures_for(const Position& p, Move* list, int& count, const CheckSquares* checks,
                      Bitboard target_mask) {
    constexpr int Them = Us ^ 1;
    Bitboard enemy = p.pieces[Them];
    Bitboard rook_targets = enemy & (target_mask | (checks ? checks->by_type[ROOK] : 0));
    Bitboard bishop_targets = enemy & (target_mask | (checks ? checks->by_type[BISHOP] : 0));
    Bitboard knight_targets = enemy & (target_mask | (checks ? checks->by_type[KNIGHT] : 0));
    add_piece_moves(list, count, p, p.rooks_queens[Us],
                    [&](Square s) { return rook_attacks(p, s) & rook_targets; });
    add_piece_moves(list, count, p, p.bishops_queens[Us],
                    [&](Square s) { return bishop_attacks(p, s) & bishop_targets; });
    add_piece_moves(list, count, p, p.pieces[piece_of(KNIGHT, Us)],
                    [&](Square s) { return tables.knight_attacks[s] & knight_targets; });
    add_piece_moves(list, count, p, square_bit(p.king_sq[Us]),
                    [&](Square s) { return tables.king_attacks[s] & enemy & target_mask; });
    gen_en_passant<Us>(p, list, count);
    Bitboard pawn_checks = pawn_attackers_mask(p.king_sq[Them], Us);
    gen_pawn_captures<Us>(p, list, count, enemy & (target_mask | pawn_checks));

    using G = PawnGeometry<Us>;
    Bitboard pushers = p.pieces[piece_of(PAWN, Us)] & G::SEVENTH_RANK &
                       shift_by(~p.all_pieces, -G::PUSH);
    while (pushers) {
        Square from = pop_lowest(pushers);
        list[count++] = make_move_value(from, from + G::PUSH, piece_of(PAWN, Us), EMPTY,
                                        piece_of(QUEEN, Us));
    }
}

// Castling: the right, empty squares between king and rook, and the king's square and the square
// it crosses not attacked. The destination square is left to the legality test after the move.
template <int Us>
void gen_castling(const Position& p, Move* list, int& count) {
    constexpr int Them = Us ^ 1;
    constexpr Square KING = Us == WHITE ? 4 : 60;
    constexpr int QUEEN_RIGHT = Us == WHITE ? WQC : BQC;
    constexpr int KING_RIGHT = Us == WHITE ? WKC : BKC;
    int rights = p.castle_flags & (QUEEN_RIGHT | KING_RIGHT);
    if (!rights) return;
    constexpr Bitboard QUEEN_SIDE_EMPTY = square_bit(KING - 1) | square_bit(KING - 2) | square_bit(KING - 3);
    constexpr Bitboard KING_SIDE_EMPTY = square_bit(KING + 1) | square_bit(KING + 2);
    int king_attacked = -1;  // computed once for both sides
    if ((rights & QUEEN_RIGHT) && !(p.all_pieces & QUEEN_SIDE_EMPTY)) {
        king_attacked = attacked(p, KING, Them);
        if (!king_attacked && !attacked(p, KING - 1, Them))
            list[count++] = Us == WHITE ? CASTLE_WQ : CASTLE_BQ;
    }
    if ((rights & KING_RIGHT) && !(p.all_pieces & KING_SIDE_EMPTY)) {
        if (king_attacked < 0) king_attacked = attacked(p, KING, Them);
        if (!king_attacked && !attacked(p, KING + 1, Them))
            list[count++] = Us == WHITE ? CASTLE_WK : CASTLE_BK;
    }
}

template <int Us>
void gen_quiet_for(const Position& p, Move* list, int& count) {
    using G = PawnGeometry<Us>;
    Bitboard empty = ~p.all_pieces;
    gen_castling<Us>(p, list, count);
    add_piece_moves(list, count, p, p.rooks_queens[Us],
                    [&](Square s) { return rook_attacks(p, s) & empty; });
    add_piece_moves(list, count, p, p.bishops_queens[Us],
                    [&](Square s) { return bishop_attacks(p, s) & empty; });
    add_piece_moves(list, count, p, p.pieces[piece_of(KNIGHT, Us)],
                    [&](Square s) { return tables.knight_attacks[s] & empty; });
    add_piece_moves(list, count, p, square_bit(p.king_sq[Us]),
                    [&](Square s) { return tables.king_attacks[s] & empty; });

    Bitboard pawns = p.pieces[piece_of(PAWN, Us)];
    Bitboard single = shift_by(pawns, G::PUSH) & empty;
    Bitboard doubles = shift_by(single & shift_by(G::START_RANK, G::PUSH), G::PUSH) & empty;
    while (doubles) {
        Square to = pop_lowest(doubles);
        add(list, count, p, to - 2 * G::PUSH, to);
    }
    while (single) {
        Square to = pop_lowest(single);
        if (square_bit(to) & G::LAST_RANK)
            add_promotions(list, count, p, to - G::PUSH, to, UNDER_PROMOTIONS);
        else
            add(list, count, p, to - G::PUSH, to);
    }
}

}  // namespace

void gen_captures(const Position& p, Move* list, int& count, const CheckSquares* check_squares,
                  Bitboard target_mask) {
    if (p.turn == WHITE)
        gen_captures_for<WHITE>(p, list, count, check_squares, target_mask);
    else
        gen_captures_for<BLACK>(p, list, count, check_squares, target_mask);
}

void gen_quiet(const Position& p, Move* list, int& count) {
    if (p.turn == WHITE)
        gen_quiet_for<WHITE>(p, list, count);
    else
        gen_quiet_for<BLACK>(p, list, count);
}

void gen_legal(Position& p, Move* list, int& count) {
    Move all[MAX_MOVES];
    int n = 0;
    gen_captures(p, all, n, nullptr, ~Bitboard(0));
    gen_quiet(p, all, n);
    for (int i = 0; i < n; ++i) {
        make_move(p, all[i]);
        if (!attacked(p, p.king_sq[p.turn ^ 1], p.turn)) list[count++] = all[i];
        unmake_move(p);
    }
}
