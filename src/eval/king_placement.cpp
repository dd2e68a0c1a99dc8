// Where a king should stand while the enemy has no attack on it: forward into the game, towards
// the pawns, but not out into open files.
#include <algorithm>

#include "eval/king_terms.h"
#include "eval/piece_terms.h"

namespace {

// From the king's own side, a1 first. Pawns on both wings, with a pawn in c5-f7.
constexpr int PLACEMENT_CENTRE_PAWNS[64] = {
    -65, -45, -35, -25, -25, -35, -45, -65,  //
    -40, -25, -15, -5,  -5,  -15, -25, -40,  //
    -35, -10, 0,   10,  10,  0,   -10, -35,  //
    -35, -10, 20,  30,  30,  20,  -10, -35,  //
    -35, -10, 30,  40,  40,  30,  -10, -35,  //
    -35, -10, 45,  80,  80,  45,  -10, -35,  //
    -40, -30, 0,   0,   0,   0,   -30, -40,  //
    -65, -45, -32, -30, -30, -32, -45, -65};
// Pawns on both wings, none in c5-f7.
constexpr int PLACEMENT_NO_CENTRE_PAWNS[64] = {
    -65, -45, -35, -25, -25, -35, -45, -65,  //
    -40, -25, -15, -5,  -5,  -15, -25, -40,  //
    -30, -10, 0,   7,   7,   0,   -10, -30,  //
    -30, -10, 5,   12,  12,  5,   -10, -30,  //
    -30, -10, 10,  18,  18,  10,  -10, -30,  //
    -30, -10, 12,  22,  22,  12,  -10, -30,  //
    -40, -30, 0,   0,   0,   0,   -30, -40,  //
    -65, -45, -32, -30, -30, -32, -45, -65};
// Pawns only on files e-h; read at the left-right mirrored square when they are all on a-d.
constexpr int PLACEMENT_FILES_E_TO_H_PAWNS[64] = {
    -100, -70, -50, -40, -30, -30, -30, -30,  //
    -100, -70, -40, -20, -10, -10, -10, -10,  //
    -100, -70, -30, -15, 10,  20,  20,  0,    //
    -100, -70, -30, -10, 20,  30,  30,  0,    //
    -100, -70, -30, -5,  25,  30,  30,  0,    //
    -100, -70, -30, -5,  30,  30,  30,  0,    //
    -100, -70, -40, -30, 0,   0,   0,   -10,  //
    -100, -70, -50, -40, -30, -30, -30, -30};
// Per 128, by (both piece counts + 1 for an enemy queen) / 2: placement fades as pieces come on.
constexpr int PLACEMENT_PHASE[5] = {170, 170, 150, 57, 0};
// Per file without pawns beside a central king, by the enemy's piece count.
constexpr int OPEN_FILE_NEAR_CENTRAL_KING[8] = {0, 0, 0, 0, -4, -6, -8, -8};

constexpr Bitboard ADVANCED_CENTRE = box(2, 5, 4, 6);  // c5-f7
constexpr Bitboard KING_FORWARD_AREA = box(2, 5, 1, 3);  // c2-f4
constexpr Bitboard HOME_AREA = box(1, 6, 0, 2);  // b1-g3
constexpr Bitboard LOW_RANKS = box(0, 7, 0, 2);
constexpr Bitboard RANKS_6_7 = box(0, 7, 5, 6);

// The table value of `s` (the king's own view) for the pawns on the board.
int table_value(const Position& p, Square s, int us) {
    const Bitboard pawns = p.all_pawns;
    if (pawns && (pawns & FILES_A_TO_D) == 0) return PLACEMENT_FILES_E_TO_H_PAWNS[s];
    if (pawns && (pawns & FILES_E_TO_H) == 0) return PLACEMENT_FILES_E_TO_H_PAWNS[s ^ 7];
    if (pawns & relative_set(ADVANCED_CENTRE, us)) return PLACEMENT_CENTRE_PAWNS[s];
    return PLACEMENT_NO_CENTRE_PAWNS[s];
}

// The rank, from the king's side, of the pawn furthest up the board; 4 (rank 5) without pawns.
int highest_pawn_rank(const Position& p, int us) {
    if (!p.all_pawns) return 4;
    if (us == WHITE) return rank_of(63 - std::countl_zero(p.all_pawns));
    return 7 - rank_of(lowest_square(p.all_pawns));
}

// Pawn endings and the like: an own pawn next to both kings that cannot be freed, an enemy
// weak pawn the king is already eating.
int pawn_contact(const Position& p, const EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Bitboard near_king = tables.king_attacks[p.king_sq[us]];
    const Bitboard prey = info.block.weak_pawns[them] & ~info.passed_pawns[them] & near_king;
    int v = 10 * popcount(prey);
    const Bitboard shared = near_king & tables.king_attacks[p.king_sq[them]] & p.pieces[piece_of(PAWN, us)];
    for (Bitboard b = shared; b;)
        if ((tables.king_attacks[pop_lowest(b)] & ~p.all_pieces) == 0) v -= 10;
    return v;
}

}  // namespace

int king_placement(const Position& p, EvalInfo& info, int us) {
    const int them = us ^ 1;
    const Square king = p.king_sq[us];
    const Square own_view = relative_square(king, us);
    const int rank = std::min(rank_of(own_view), highest_pawn_rank(p, us));
    int v = std::min(table_value(p, own_view, us), table_value(p, square_at(file_of(own_view), rank), us));

    const Bitboard own_pawns = p.pieces[piece_of(PAWN, us)];
    const Bitboard near_king = tables.king_attacks[king];
    if ((info.passed_pawns[us] & near_king & relative_set(RANKS_6_7, us)) && v < -4) v = -5;
    if (relative_set(KING_FORWARD_AREA, us) & square_bit(king)) {
        const Bitboard forward = near_king & ranks_ahead(king, us);
        if ((forward & ~own_pawns & ~attacked_by(info, them)) == 0) v -= 17;
    }
    if (own_pawns && (own_pawns & ~relative_set(LOW_RANKS, us)) == 0 &&
        (relative_set(HOME_AREA, us) & square_bit(king)) && v < 0)
        v /= 2;
    const int phase_index = (p.piece_count[BLACK] + p.piece_count[WHITE] +
                             (p.pieces[piece_of(QUEEN, them)] != 0)) / 2;
    v = v * PLACEMENT_PHASE[std::min(phase_index, 4)] / 128;
    info.piece_tally += us == WHITE ? v / 2 : -(v / 2);

    if (file_of(king) == 3 || file_of(king) == 4) {
        const int open_value = OPEN_FILE_NEAR_CENTRAL_KING[std::min(p.piece_count[them], 7)];
        for (int f = file_of(king) - 1; f <= file_of(king) + 1; ++f)
            if ((p.all_pawns & file_mask(f)) == 0) v += open_value;
    }
    if (p.piece_count[them] < 3) v += pawn_contact(p, info, us);
    return v;
}
