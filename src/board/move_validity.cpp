// Whether a single move (a hash or killer move, a move from the interface) fits the position.
#include "board/attacks.h"
#include "board/movegen.h"
#include "board/t_move_basics.h"

namespace {

struct CastlingRule {
    Move move;
    int right;
    Bitboard must_be_empty;
    Square crossed;
};

constexpr CastlingRule CASTLING_RULES[] = {
    {CASTLE_WK, WKC, 0x60ull, 5},          // f1 g1
    {CASTLE_WQ, WQC, 0x0Eull, 3},          // b1 c1 d1
    {CASTLE_BK, BKC, 0x60ull << 56, 61},   // f8 g8
    {CASTLE_BQ, BQC, 0x0Eull << 56, 59}};  // b8 c8 d8

// Rights, empty squares and unattacked king path, as the quiet generator tests them. The
// king's destination is left to the legality test after the move.
bool castling_allowed(const Position& p, Move move) {
    const int them = p.turn ^ 1;
    for (const CastlingRule& rule : CASTLING_RULES)
        if (rule.move == move)
            return (p.castle_flags & rule.right) && !(p.all_pieces & rule.must_be_empty) &&
                   !attacked(p, move_from(move), them) && !attacked(p, rule.crossed, them);
    return false;
}

bool pawn_move_allowed(const Position& p, Square from, Square to, int captured, int us) {
    const int step = us == WHITE ? 8 : -8;
    if (pawn_attacks_from(from, us) & square_bit(to))
        return captured ? colour_of(captured) != us
                        : to == p.ep_square && rank_of(to) == (us == WHITE ? 5 : 2);
    if (captured) return false;
    if (to == from + step) return true;
    return to == from + 2 * step && rank_of(from) == (us == WHITE ? 1 : 6) &&
           p.board[from + step] == EMPTY;
}

Bitboard piece_reach(const Position& p, int type, Square from) {
    switch (type) {
        case KNIGHT: return tables.knight_attacks[from];
        case BISHOP: return bishop_attacks(p, from);
        case ROOK: return rook_attacks(p, from);
        case QUEEN: return queen_attacks(p, from);
        default: return tables.king_attacks[from];
    }
}

bool promotion_matches(Move move, int piece, int us) {
    Square to = move_to(move);
    bool onto_last_rank = type_of(piece) == PAWN && rank_of(to) == (us == WHITE ? 7 : 0);
    int promotion = move_promotion(move);
    if (!onto_last_rank) return promotion == EMPTY;
    return colour_of(promotion) == us && type_of(promotion) >= KNIGHT &&
           type_of(promotion) <= QUEEN;
}

}  // namespace

bool is_valid_move(const Position& p, Move move) {
    // Generated moves never carry the search's marks in the top byte.
    if (move & ~MOVE_IDENTITY_MASK) return false;
    const Square from = move_from(move), to = move_to(move);
    const int piece = move_piece(move), captured = move_captured(move), us = p.turn;
    if (piece < BPAWN || piece > WKING || colour_of(piece) != us || p.board[from] != piece ||
        p.board[to] != captured)
        return false;
    // Only a corrupt position lets a king be taken; make_move would abort on it.
    if (type_of(captured) == KING) return false;
    if (!promotion_matches(move, piece, us)) return false;
    if (type_of(piece) == PAWN) return pawn_move_allowed(p, from, to, captured, us);
    if (is_castling(move)) return castling_allowed(p, move);
    if (captured && colour_of(captured) == us) return false;
    return (piece_reach(p, type_of(piece), from) & square_bit(to)) != 0;
}

// Legality without making the move: a king must not step onto an attacked square nor along the
// line of a slider it shielded; out of check, any other move but en passant is illegal only
// when its piece leaves a pin line. En passant and the other moves in check are made and taken
// back.
bool is_legal_move(Position& p, Move move) {
    if (!is_valid_move(p, move)) return false;
    const int us = p.turn, them = us ^ 1;
    const Square from = move_from(move), to = move_to(move), king = p.king_sq[us];
    if (from == king) {
        const int d = direction(to, from);
        return !attacked(p, to, them) && !(d && (xray_behind(p, 0, from, d) & p.pieces[them]));
    }
    if (!is_en_passant(move) && !attacked(p, king, them))
        return !is_pinned(p, us, from) || direction(king, to) == direction(king, from);
    make_move(p, move);
    const bool legal = !attacked(p, p.king_sq[us], them);
    unmake_move(p);
    return legal;
}
