// The king term: placement while the enemy cannot attack, shelter and attack once it can,
// fianchettoed kings and rooks shut in by their own king.
#include "eval/king_terms.h"
#include "eval/piece_terms.h"
#include "eval/terms.h"

namespace {

// A queen's help in defending its king, by its king distance: reaching the king's zone or not.
constexpr int QUEEN_GUARDING_ZONE[8] = {0, 35, 35, 25, 12, 0, 0, 0};
constexpr int QUEEN_NEAR_KING[8] = {0, 35, 20, 5, 0, 0, 0, 0};

void add_queen_defence(const Position& p, EvalInfo& info, int us) {
    const int them = us ^ 1;
    if (!info.king_attack[them]) return;
    const Square king = p.king_sq[us];
    const Bitboard held = tables.square_masks[king][KING_ZONE] & ~attacked_by(info, them);
    for (Bitboard b = p.pieces[piece_of(QUEEN, us)]; b;) {
        const Square s = pop_lowest(b);
        const int steps = distance(s, king);
        int v = (attacks_of_queen(p, info, s, us) & held) ? QUEEN_GUARDING_ZONE[steps] : QUEEN_NEAR_KING[steps];
        if (relative_rank(s, us) == 0) v /= 2;
        info.king_defence_sum[us] += v;
    }
}

// A king beside a fianchetto: the bishop in its place is worth having, a hole without it costs.
int wing_fianchetto(const Position& p, int us, Square pawn_home, Bitboard bishop_places, Square guard) {
    const int them = us ^ 1;
    const Square king = p.king_sq[us];
    const Square home = relative_square(pawn_home, us);
    const Bitboard own_pawns = p.pieces[piece_of(PAWN, us)];
    if (distance(king, home) > 1 || (own_pawns & square_bit(home)) ||
        !(own_pawns & square_bit(home + pawn_push(us))))
        return 0;
    const Bitboard own_bishops = p.pieces[piece_of(BISHOP, us)];
    if (own_bishops & relative_set(bishop_places, us)) return 12;
    const Bitboard shade = SHADE_SQUARES[shade_of(home)];
    if (!(own_bishops & shade) && (p.pieces[piece_of(BISHOP, them)] & shade) &&
        !(own_pawns & square_bit(relative_square(guard, us))))
        return -8;
    return 0;
}

int fianchetto(const Position& p, int us) {
    if (p.piece_count[us ^ 1] < 3) return 0;
    const int file = file_of(p.king_sq[us]);
    if (file <= 2)
        return wing_fianchetto(p, us, square_at(1, 1), named("a1c1b2a3c3"), square_at(2, 2));
    if (file >= 5)
        return wing_fianchetto(p, us, square_at(6, 1), named("f1h1g2f3h3"), square_at(5, 2));
    return 0;
}

// A rook between its king and the corner, every file there closed by its own pawns. A king on
// e1 counts like one on d1, so that the rule reads the same on both wings, unless it can still
// castle towards that corner and free the rook that way.
int trapped_rook(const Position& p, int us) {
    const Square king = relative_square(p.king_sq[us], us);
    const int file = file_of(king);
    if (rank_of(king) != 0 || file == 0 || file == 7) return 0;
    const int right = file <= 3 ? (us == WHITE ? WQC : BQC) : (us == WHITE ? WKC : BKC);
    if (p.castle_flags & right) return 0;
    const Bitboard corner_side = file <= 3 ? (square_bit(file) - 1) : (RANK_1 & ~(square_bit(file) * 2 - 1));
    const Bitboard area = relative_set(corner_side, us);
    if (!(p.pieces[piece_of(ROOK, us)] & area)) return 0;
    const Bitboard own_pawns = p.pieces[piece_of(PAWN, us)];
    for (Bitboard b = area; b;) {
        const Square s = pop_lowest(b);
        if (!(file_ahead(s, us) & own_pawns)) return 0;
    }
    return -45;
}

}  // namespace

int king_term(const Position& p, EvalInfo& info) {
    for (int c : {BLACK, WHITE}) info.attacks[c][KING] = tables.king_attacks[p.king_sq[c]];
    for (int c : {BLACK, WHITE}) add_queen_defence(p, info, c);
    int danger[2] = {0, 0};  // of each colour's king
    int total = 0;
    for (int us : {WHITE, BLACK}) {
        int v;
        if (!info.king_attack[us ^ 1]) {
            v = king_placement(p, info, us);
        } else {
            danger[us] = king_danger(p, info, us);
            v = fianchetto(p, us) - danger[us];
        }
        v += trapped_rook(p, us);
        total += us == WHITE ? v : -v;
    }
    // From here on each flag holds the danger that colour's attack brings on the enemy king.
    info.king_attack[BLACK] = danger[WHITE];
    info.king_attack[WHITE] = danger[BLACK];
    return total;
}
