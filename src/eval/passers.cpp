// Passed pawns: a value by rank scaled by a factor that safe advances, near kings, neighbours,
// support and rooks behind move up or down.
#include <algorithm>

#include "board/attacks.h"
#include "board/movegen.h"
#include "eval/pawn_rules.h"
#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

// Indexed by rank from the owner's side, 0-based (the rank of a pawn is 1 to 6).
constexpr int RANK_VALUE[8] = {0, 12, 12, 22, 49, 90, 165, 0};
constexpr int VALUE_CAP[8] = {150, 150, 150, 150, 150, 240, 300, 0};
// By the enemy's piece count: pieces catch passers.
constexpr int PIECE_FACTOR[9] = {152, 152, 136, 128, 118, 110, 96, 76, 72};
// By the owner's piece count: how much a free or a stopped path counts.
constexpr int PASSER_FACTOR[10] = {134, 134, 130, 115, 104, 104, 104, 104, 104, 104};

// How much the kings matter, per 128, by the enemy's piece count. This table and the king,
// neighbour and connection tables below are fitted to game results and to a stronger engine's
// evaluations. Kings count most with one enemy piece left; in pawn endings less, likely because
// the pawn term's race rules judge them.
constexpr int KING_WEIGHT[5] = {115, 271, 191, 150, 54};
// The enemy king against the passer, by its rank lead over the pawn (-4 .. 2, ahead positive)
// and its file distance (0 .. 9): close and ahead it stops the pawn, far off it cannot.
constexpr int ENEMY_KING_BY_FILE[10] = {-78, -1, -12, 7, 20, 31, 25, 43, 24, 40};
constexpr int ENEMY_KING_RANK_SHARE[7] = {5, 51, 45, 132, 293, 277, 124};  // per 100, lead -4 .. 2
// The own king's distance to the square ahead of the pawn.
constexpr int OWN_KING_BY_DISTANCE[8] = {20, 45, 59, 25, 5, 6, 8, 6};
// The file distance to the nearest other own passer: far apart they overload the enemy.
constexpr int OTHER_PASSER_BY_FILES[8] = {0, 18, 7, 9, 36, 25, 50, 25};
// A pawn ahead on the file, by the number of files without pawns.
constexpr int BLOCKED_BY_EMPTY_FILES[5] = {-64, -54, -36, -18, 0};
// Own passers next to it, by the pawn's rank: beside it, and one rank apart.
constexpr int CONNECTED_BESIDE[8] = {0, 0, 14, 74, 145, 311, 258, 0};
constexpr int CONNECTED_DIAGONAL[8] = {0, 0, 11, 42, 2, 21, 132, 0};
constexpr int SUPPORT[8] = {0, 0, 0, 0, 40, 160, 240, 0};
// A rook behind the pawn, by the owner's piece count (enemy rook) or the pawn's rank (own).
constexpr int ENEMY_ROOK_UNSAFE[6] = {-120, -100, -80, -55, -35, -25};
constexpr int ENEMY_ROOK_SAFE[7] = {-120, -120, -100, -90, -80, -80, -40};
constexpr int ENEMY_ROOK_BONUS[8] = {0, 10, 10, 10, 10, 5, 5, 0};
constexpr int ROOK_ENDING_CAP[8] = {0, 140, 130, 100, 80, 60, 60, 60};
constexpr int OWN_ROOK_UNSAFE[8] = {0, 0, 0, 0, 3, 12, 12, 0};
constexpr int OWN_ROOK_SAFE[8] = {0, 0, 18, 25, 25, 25, 25, 0};
constexpr int OWN_ROOK_WEIGHT[9] = {0, 128, 128, 64, 42, 42, 42, 42, 16};

constexpr int at_most(const int* table, int size, int index) {
    return table[std::min(index, size - 1)];
}

struct PasserContext {
    const Position& p;
    const EvalInfo& info;
    int colour;
    int own_pieces, enemy_pieces;
    bool enemy_has_passers;
};

Square front_square(Square s, int colour) { return s + pawn_push(colour); }

// The square ahead is free and the enemy does not hold it alone.
bool advance_is_safe(const Position& p, Square s, int colour) {
    const Square ahead = front_square(s, colour);
    return p.board[ahead] == EMPTY &&
           (!attacked(p, ahead, colour ^ 1) || attacked(p, ahead, colour));
}

int king_part(const PasserContext& x, Square s) {
    if (x.enemy_pieces >= 5) return 0;
    const int c = x.colour, weight = KING_WEIGHT[x.enemy_pieces];
    const Square enemy_king = x.p.king_sq[c ^ 1], own_king = x.p.king_sq[c];
    const int lead = std::clamp(relative_rank(enemy_king, c) - relative_rank(s, c), -4, 2);
    int files = file_distance(enemy_king, s);
    if (files > 0) {
        // The king's step towards the pawn is barred by the owner's pawns.
        const Square step = enemy_king + (file_of(s) > file_of(enemy_king) ? 1 : -1);
        const Bitboard own_pawns = x.p.pieces[piece_of(PAWN, c)];
        if ((own_pawns | pawn_attacks(own_pawns, c)) & square_bit(step)) ++files;
    }
    int factor = ENEMY_KING_BY_FILE[files] * ENEMY_KING_RANK_SHARE[lead + 4] / 100 * weight / 128;
    if (relative_rank(s, c) >= 3 && x.enemy_pieces <= 4)
        factor += OWN_KING_BY_DISTANCE[distance(own_king, front_square(s, c))] * weight / 128;
    if (x.enemy_pieces < 4) {
        const Bitboard others = x.info.passed_pawns[c] & ~file_mask(file_of(s));
        int nearest = 8;
        for (Bitboard b = others; b;) nearest = std::min(nearest, file_distance(pop_lowest(b), s));
        if (nearest < 8) factor += OTHER_PASSER_BY_FILES[nearest] * weight / 128;
    }
    if (x.p.all_pawns & file_ahead(s, c))
        factor += at_most(BLOCKED_BY_EMPTY_FILES, 5, popcount(Bitboard(x.info.block.empty_files))) *
                  weight / 128;
    return factor;
}

bool advance_loses(const Position& p, Square s, int colour) {
    const Square ahead = front_square(s, colour);
    if (p.board[ahead] != EMPTY) return true;
    const int promotion = relative_rank(ahead, colour) == 7 ? piece_of(QUEEN, colour) : EMPTY;
    return see_loses(p, make_move_value(s, ahead, piece_of(PAWN, colour), EMPTY, promotion));
}

// Own passers beside the pawn and own pawns defending it: the factor they add, and the
// largest of them, which sets the factor's floor.
int connection_part(const PasserContext& x, Square s, int& largest) {
    const int c = x.colour, rank = relative_rank(s, c);
    const Position& p = x.p;
    const bool enemy_minors_or_queen = p.pieces[piece_of(KNIGHT, c ^ 1)] |
                                       p.pieces[piece_of(BISHOP, c ^ 1)] |
                                       p.pieces[piece_of(QUEEN, c ^ 1)];
    int factor = 0;
    const Bitboard neighbours = x.info.passed_pawns[c] & tables.square_masks[s][ADJACENT_FILES] &
                                (rank_mask(rank_of(s)) | rank_mask(rank_of(s) + 1) |
                                 (rank_of(s) ? rank_mask(rank_of(s) - 1) : 0));
    for (Bitboard b = neighbours; b;) {
        const Square n = pop_lowest(b);
        int value = rank_of(n) == rank_of(s) ? CONNECTED_BESIDE[rank] : CONNECTED_DIAGONAL[rank];
        value = value * (enemy_minors_or_queen ? 60 : 72) / 128;
        if (advance_loses(p, n, c)) value /= 2;
        factor += value + (x.enemy_has_passers ? 0 : 15);
        largest = std::max(largest, value);
    }
    if (rank >= 4) {
        const Bitboard defenders = pawn_attackers_mask(s, c) & p.pieces[piece_of(PAWN, c)];
        for (Bitboard b = defenders; b;) {
            const Square d = pop_lowest(b);
            // A weak defender may be taken away, and more enemy pieces can go for it.
            int scale = (x.info.block.weak_pawns[c] & square_bit(d)) ? 80 : 128;
            if (x.enemy_pieces > x.own_pieces) scale = scale * 96 / 128;
            factor += SUPPORT[rank] * 35 / 128;
            largest = std::max(largest, SUPPORT[rank] * 100 / 128 * scale / 128);
        }
    }
    return factor;
}

struct RookEffect {
    int factor_change = 0;
    int cap = 1 << 20;
    int own_bonus = 0, enemy_bonus = 0;
};

RookEffect rook_behind(const PasserContext& x, Square s, bool safe) {
    const Position& p = x.p;
    const int c = x.colour, rank = relative_rank(s, c);
    const Bitboard behind = rook_attacks(p, s) & file_ahead(s, c ^ 1);
    const Bitboard own_rooks = p.pieces[piece_of(ROOK, c)],
                   enemy_rooks = p.pieces[piece_of(ROOK, c ^ 1)];
    RookEffect effect;
    if ((behind & enemy_rooks) && !(behind & own_rooks)) {
        effect.factor_change = safe ? at_most(ENEMY_ROOK_SAFE, 7, x.own_pieces)
                                    : at_most(ENEMY_ROOK_UNSAFE, 6, x.own_pieces);
        effect.enemy_bonus = ENEMY_ROOK_BONUS[rank];
        const bool rook_ending = p.piece_count[BLACK] == 1 && p.piece_count[WHITE] == 1;
        if (rook_ending && (own_rooks & file_ahead(s, c)))
            effect.cap = ROOK_ENDING_CAP[distance(p.king_sq[c ^ 1], s)];
    } else if ((behind & own_rooks) && !(behind & enemy_rooks)) {
        effect.own_bonus = (safe ? OWN_ROOK_SAFE[rank] : OWN_ROOK_UNSAFE[rank]) *
                           at_most(OWN_ROOK_WEIGHT, 9, x.enemy_pieces) / 128;
    }
    return effect;
}

// The passer's value for its owner, and the bonus the enemy gets from a rook behind it.
int passer_value(const PasserContext& x, Square s, int& enemy_bonus) {
    const Position& p = x.p;
    const int c = x.colour, rank = relative_rank(s, c);
    const bool safe = advance_is_safe(p, s, c);
    int k;
    if (safe) {
        k = (p.pieces[c] & file_ahead(s, c)) ? 49 : 65;
    } else {
        const int blocker = p.board[front_square(s, c)];
        k = blocker != EMPTY && blocker != piece_of(QUEEN, c ^ 1) ? -46 : -36;
    }
    int factor = 128 + at_most(PASSER_FACTOR, 10, x.own_pieces) * k / 128 + king_part(x, s);
    int largest = 0;
    factor += connection_part(x, s, largest);
    const RookEffect rook = rook_behind(x, s, safe);
    factor += rook.factor_change;
    enemy_bonus += rook.enemy_bonus;
    // A supported or connected passer keeps its floor even behind its own rook.
    factor = std::max(std::min(factor, rook.cap), 48 + largest);
    const int value = at_most(PIECE_FACTOR, 9, x.enemy_pieces) * RANK_VALUE[rank] * factor / 16384;
    return std::min(value, VALUE_CAP[rank]) + rook.own_bonus;
}

}  // namespace

int passer_term(const Position& p, EvalInfo& info) {
    int term = 0;
    for (int c = BLACK; c <= WHITE; ++c) {
        const PasserContext x{
            p,
            info,
            c,
            p.piece_count[c],
            p.piece_count[c ^ 1],
            (info.block.passer_files[c ^ 1] | info.block.candidate_files[c ^ 1]) != 0};
        const int sign = c == WHITE ? 1 : -1;
        int enemy_bonus = 0;
        for (Bitboard b = info.passed_pawns[c]; b;)
            term += sign * passer_value(x, pop_lowest(b), enemy_bonus);
        term -= sign * enemy_bonus;
    }
    return term;
}
