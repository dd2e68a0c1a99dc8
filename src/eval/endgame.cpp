#include "eval/endgame.h"

#include <algorithm>

#include "board/attacks.h"
#include "eval/square_sets.h"

namespace {

// Neither side can force mate: no pawns, no rooks or queens, at most one minor piece each.
bool no_mating_material(const Position& p) {
    return p.all_pawns == 0 && p.major_count[BLACK] == 0 && p.major_count[WHITE] == 0 &&
           p.minor_count[BLACK] <= 1 && p.minor_count[WHITE] <= 1;
}

// Pawns on one rook file only, no piece but a bishop that misses the queening square's colour,
// and the defending king first in the corner: nothing can drive it out. A knight can, by
// checks from both colours, so with a knight the ending is mostly won and is left to the search.
bool wrong_rook_pawn(const Position& p, int strong) {
    const int weak = strong ^ 1;
    const Bitboard pawns = p.pieces[piece_of(PAWN, strong)];
    if (p.major_count[strong] != 0 || p.minor_count[strong] > 1 || !pawns) return false;
    if (p.pieces[piece_of(KNIGHT, strong)]) return false;
    if ((pawns & ~FILE_A) && (pawns & ~FILE_H)) return false;
    const Square front = strong == WHITE ? 63 - std::countl_zero(pawns) : lowest_square(pawns);
    const Square queening = relative_square(square_at(file_of(front), 7), strong);
    if (p.pieces[piece_of(BISHOP, strong)] & SHADE_SQUARES[shade_of(queening)]) return false;
    const int defender = distance(p.king_sq[weak], queening) - (p.turn == weak);
    return defender < distance(p.king_sq[strong], queening) &&
           defender < 7 - relative_rank(front, strong);
}

// A bare king to move, not in check, with every square around it taken: stalemate.
bool lone_king_stalemated(const Position& p, int strong) {
    const int weak = strong ^ 1;
    const Square king = p.king_sq[weak];
    if (p.turn != weak || p.piece_count[weak] != 0 || p.pawn_count[weak] != 0) return false;
    if (attacked(p, king, strong)) return false;
    for (Bitboard b = tables.king_attacks[king]; b;)
        if (!attacked(p, pop_lowest(b), strong)) return false;
    return true;
}

// Endings with two pieces at most: those the stronger side can rarely win.
int small_ending_count(const Position& p, int strong) {
    const int weak = strong ^ 1;
    const int minors = p.minor_count[strong], majors = p.major_count[strong];
    if (p.pawn_count[strong] == 0) {
        // A lone minor, or two knights, cannot force mate; a rook against a minor rarely wins.
        const bool two_knights = minors == 2 && popcount(p.pieces[piece_of(KNIGHT, strong)]) == 2;
        if (majors == 0 && (minors == 1 || two_knights)) return 16;
        if (p.pieces[piece_of(ROOK, strong)] && majors == 1 && minors == 0 &&
            p.minor_count[weak] == 1 && p.major_count[weak] == 0)
            return 8;
        return 0;
    }
    // A single pawn with the bare defending king in front of it.
    if (p.piece_count[strong] == 0 && p.piece_count[weak] == 0 && p.pawn_count[strong] == 1 &&
        p.pawn_count[weak] == 0 &&
        (file_ahead(lowest_square(p.pieces[piece_of(PAWN, strong)]), strong) &
         square_bit(p.king_sq[weak])))
        return 4;
    // A pawn up with a minor piece each.
    if (minors == 1 && majors == 0 && p.minor_count[weak] == 1 && p.major_count[weak] == 0 &&
        p.pawn_count[strong] - p.pawn_count[weak] == 1)
        return 2;
    return 0;
}

// Bishops of opposite colours: pawns up are hard to turn into a win, alone most of all.
int opposite_bishops_count(const Position& p, int strong) {
    auto missing = [&](int colour, int shade) {
        return !(p.pieces[piece_of(BISHOP, colour)] & SHADE_SQUARES[shade]);
    };
    const int index = missing(BLACK, LIGHT_SQUARES) << 3 | missing(BLACK, DARK_SQUARES) << 2 |
                      missing(WHITE, LIGHT_SQUARES) << 1 | missing(WHITE, DARK_SQUARES);
    if (index != 6 && index != 9) return 0;
    if (p.piece_count[BLACK] != 1 || p.piece_count[WHITE] != 1) return 1;
    static constexpr int BY_PAWNS_UP[4] = {8, 6, 4, 2};
    return BY_PAWNS_UP[std::min(3, std::abs(p.pawn_count[strong] - p.pawn_count[strong ^ 1]))];
}

}  // namespace

int early_draw_count(const Position& p, const EvalInfo&, int strong) {
    int count = wrong_rook_pawn(p, strong) ? DEAD_DRAW : 0;
    if (lone_king_stalemated(p, strong)) count += DEAD_DRAW;
    return count;
}

int late_draw_count(const Position& p, const EvalInfo&, int strong) {
    if (no_mating_material(p)) return DEAD_DRAW;
    const int weak = strong ^ 1;
    int count = 0;
    if (p.piece_count[BLACK] + p.piece_count[WHITE] <= 2 &&
        p.pawn_count[BLACK] + p.pawn_count[WHITE] <= 3)
        count += small_ending_count(p, strong);
    count += opposite_bishops_count(p, strong);
    // Even material without pawns and at most one piece to play with: nothing to win.
    if (p.piece_count[weak] <= 1 && p.all_pawns == 0 && p.mat_balance == 0) count += DEAD_DRAW;
    if (p.piece_count[weak] == 0) count += 5;
    return count;
}

int advantage_ceiling(const Position& p, const EvalInfo& info, int strong) {
    const int weak = strong ^ 1;
    const bool queen = p.pieces[piece_of(QUEEN, strong)] != 0;
    int ceiling = NO_DAMPING;
    if (p.piece_count[strong] <= 2 && p.pieces[piece_of(QUEEN, weak)]) ceiling = 125;
    if (!(info.block.passer_files[strong] | info.block.candidate_files[strong])) {
        static constexpr int LIMIT[6] = {60, 60, 60, 60, 120, NO_DAMPING};
        ceiling = std::min(ceiling, LIMIT[std::min(5, p.piece_count[strong] + queen)]);
    }
    // A piece up without pawns, short of a rook: the defender can often give it back for none.
    if (p.pieces[piece_of(PAWN, strong)] == 0 && std::abs(p.mat_balance) < 500)
        ceiling = std::min(ceiling, 50);
    return ceiling;
}
