// Small helpers shared by the generators: appending moves, pawn geometry by colour.
#pragma once

#include <initializer_list>

#include "board/attacks.h"
#include "board/movegen.h"

namespace movegen_detail {

inline void add(Move* list, int& count, const Position& p, Square from, Square to) {
    list[count++] = make_move_value(from, to, p.board[from], p.board[to]);
}

// Appends a move of every piece in `pieces` to each of its targets, pieces and targets in
// increasing square order.
template <typename TargetsOf>
inline void add_piece_moves(Move* list, int& count, const Position& p, Bitboard pieces,
                            TargetsOf targets_of) {
    while (pieces) {
        Square from = pop_lowest(pieces);
        Bitboard targets = targets_of(from);
        while (targets) add(list, count, p, from, pop_lowest(targets));
    }
}

// Pawn moves onto the last rank, one per promotion piece in the given order of types.
template <int N>
inline void add_promotions(Move* list, int& count, const Position& p, Square from, Square to,
                           const int (&types)[N]) {
    int pawn = p.board[from], colour = colour_of(pawn);
    for (int type : types) list[count++] = make_move_value(from, to, pawn, p.board[to], piece_of(type, colour));
}

inline constexpr int ALL_PROMOTIONS[4] = {QUEEN, KNIGHT, ROOK, BISHOP};
inline constexpr int UNDER_PROMOTIONS[3] = {KNIGHT, ROOK, BISHOP};

// A pawn move, expanded into promotions when it reaches the last rank.
inline void add_pawn_move(Move* list, int& count, const Position& p, Square from, Square to) {
    if (to >= 56 || to < 8)
        add_promotions(list, count, p, from, to, ALL_PROMOTIONS);
    else
        add(list, count, p, from, to);
}

// Pawn geometry for colour Us: the push offset and the ranks that matter.
template <int Us>
struct PawnGeometry {
    static constexpr int PUSH = Us == WHITE ? 8 : -8;
    static constexpr Bitboard START_RANK = Us == WHITE ? RANK_2 : RANK_7;
    static constexpr Bitboard LAST_RANK = Us == WHITE ? RANK_8 : RANK_1;
    static constexpr Bitboard SEVENTH_RANK = Us == WHITE ? RANK_7 : RANK_2;
    // Capture towards the a-file side first, then towards the h-file side.
    static constexpr int CAPTURE_A_SIDE = Us == WHITE ? 7 : -9;
    static constexpr int CAPTURE_H_SIDE = Us == WHITE ? 9 : -7;
};

// Shifts a set by a signed offset (positive towards h8).
constexpr Bitboard shift_by(Bitboard b, int offset) {
    return offset >= 0 ? b << offset : b >> -offset;
}

}  // namespace movegen_detail
