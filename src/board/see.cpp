// Static exchange evaluation: the material outcome of a capture sequence on one square.
#include <algorithm>

#include "board/attacks.h"
#include "board/movegen.h"
#include "common/pieces.h"

namespace {

// One gain per capture plus the first: every other square can supply at most one capture.
constexpr int MAX_EXCHANGE = 64;

// The least valuable attacker of `colour` in `set` (pawns, then knights and bishops together
// by lowest square, rooks, queens, king), or -1 when there is none.
Square least_valuable(const Position& p, Bitboard set, int colour) {
    set &= p.pieces[colour];
    if (!set) return -1;
    Bitboard b;
    if ((b = set & p.pieces[piece_of(PAWN, colour)])) return lowest_square(b);
    if ((b = set & (p.pieces[piece_of(KNIGHT, colour)] | p.pieces[piece_of(BISHOP, colour)])))
        return lowest_square(b);
    if ((b = set & p.pieces[piece_of(ROOK, colour)])) return lowest_square(b);
    if ((b = set & p.pieces[piece_of(QUEEN, colour)])) return lowest_square(b);
    return lowest_square(set);  // the king
}

// Takes `from` out of the attacker set and lets the sliders behind it bear on `target`; a
// knight has nothing behind it.
Bitboard release(const Position& p, Bitboard set, Square target, Square from) {
    set &= ~square_bit(from);
    const int d = direction(target, from);
    return d ? xray_behind(p, set, from, d) : set;
}

// Captures on `target` alternately, `side` first, while the side to capture has an attacker,
// appending each gain to `gains` (which holds `n` already). `on_target` is the value of the
// piece standing there. Returns the exchange value for the side that made the first capture.
int resolve(const Position& p, Square target, Bitboard set, int side, int on_target, int* gains,
            int n) {
    for (Square s; (s = least_valuable(p, set, side)) >= 0; side ^= 1) {
        gains[n] = on_target - gains[n - 1];
        ++n;
        on_target = piece_value_abs[p.board[s]];
        set = release(p, set, target, s);
    }
    // Either side may stop capturing when going on would cost it.
    int v = gains[n - 1];
    for (int i = n - 2; i >= 0; --i) v = std::min(gains[i], -v);
    return v;
}

// The first gain: en passant takes a pawn although the captured code is empty.
int target_value(Move move) {
    return piece_value_abs[is_en_passant(move) ? BPAWN : move_captured(move)];
}

// Whether `them` can take on `to` once a piece has moved there from `from`, `direct` being their
// pieces that attack `to` now. The others can only join through the vacated square, as the
// rooks behind a pushed pawn do.
bool can_take_back(const Position& p, Square from, Square to, int them, Bitboard direct) {
    if (direct) return true;
    const int d = direction(to, from);
    return d && (ray(from, d) & p.pieces[them]) && (xray_behind(p, 0, from, d) & p.pieces[them]);
}

// The exchange of `move`, `all` being every piece that attacks its target square.
int exchange(const Position& p, Move move, Bitboard all) {
    const Square from = move_from(move), to = move_to(move);
    const int piece = move_piece(move);
    int gains[MAX_EXCHANGE];
    gains[0] = target_value(move);
    // Most moves land where the opponent cannot take back.
    const int them = colour_of(piece) ^ 1;
    if (!can_take_back(p, from, to, them, all & p.pieces[them])) return gains[0];
    Bitboard set = release(p, all, to, from);
    return resolve(p, to, set, them, piece_value_abs[piece], gains, 1);
}

}  // namespace

int see_move(const Position& p, Move move) {
    return exchange(p, move, all_attackers(p, move_to(move)));
}

// Answers without the capture loop when the first recapture settles it: taking back with a
// piece worth less than the mover minus the target loses material whatever follows, since the
// side taking back may stop after the next capture; a target worth the mover never loses.
bool see_loses(const Position& p, Move move) {
    const int piece = move_piece(move);
    const int margin = piece_value_abs[piece] - target_value(move);
    if (margin <= 0) return false;
    const int them = colour_of(piece) ^ 1;
    const Bitboard all = all_attackers(p, move_to(move)), direct = all & p.pieces[them];
    for (int type = PAWN; direct && type < KING && piece_value_abs[piece_of(type, them)] < margin;
         ++type)
        if (direct & p.pieces[piece_of(type, them)]) return true;
    return exchange(p, move, all) < 0;
}

bool see_loses(const Position& p, Move move, Bitboard their_reach) {
    const Square from = move_from(move), to = move_to(move);
    const int them = colour_of(move_piece(move)) ^ 1;
    if (!(their_reach & square_bit(to)) && !can_take_back(p, from, to, them, 0)) return false;
    return see_loses(p, move);
}

int see_square(const Position& p, Square s, int colour, Bitboard attackers) {
    Square first = least_valuable(p, attackers, colour);
    if (first < 0) return 0;
    int gains[MAX_EXCHANGE];
    gains[0] = piece_value_abs[p.board[s]];
    Bitboard set = release(p, attackers, s, first);
    return resolve(p, s, set, colour ^ 1, piece_value_abs[p.board[first]], gains, 1);
}
