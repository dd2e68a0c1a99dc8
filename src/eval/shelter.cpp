// King shelter from the pawns: how exposed a king is, or would be on its castle squares. It
// depends on the pawns and the two king squares only, so it lives in the king hash.
#include <algorithm>

#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

constexpr int SHELTER_CAP = 180;

// By the king's rank from its own side (4 meaning 4 or further) and file. The tables of this
// file are fitted to game results and to a stronger engine's evaluations.
constexpr int SHELTER_BASE[4][8] = {{16, 0, 8, 50, 50, 8, 0, 16},
                                    {7, 24, 60, 73, 73, 60, 24, 7},
                                    {33, 0, 150, 128, 128, 150, 0, 33},
                                    {160, 5, 3, 73, 73, 3, 5, 160}};
// By how far ahead of the king the nearest own pawn on a file stands (1, 2, 3; 0 for none
// within three ranks): a file without a shield pawn is an open road to the king.
constexpr int SHIELD_GAP[4] = {27, 0, 5, 21};
// By how far ahead the nearest enemy pawn on a file stands (0 for none, a file half open for
// the enemy's pieces): a storm two ranks off is worst.
constexpr int STORM[8] = {0, 0, 7, 6, 0, 0, 0, 0};

struct DangerPair {
    int mg, eg;
};

// Distance from the king's rank to the nearest pawn of `pawns` ahead of it on `file`, 0 if none.
int nearest_ahead(Bitboard pawns, int file, Square king, int colour) {
    const Bitboard on_file = pawns & file_mask(file) & ranks_ahead(king, colour);
    if (!on_file) return 0;
    const Square nearest = colour == WHITE ? lowest_square(on_file) : 63 - std::countl_zero(on_file);
    return std::abs(rank_of(nearest) - rank_of(king));
}

int file_danger(const Position& p, int file, Square king, int colour) {
    const int own = nearest_ahead(p.pieces[piece_of(PAWN, colour)], file, king, colour);
    const int enemy = nearest_ahead(p.pieces[piece_of(PAWN, colour ^ 1)], file, king, colour);
    return SHIELD_GAP[own <= 3 ? own : 0] + STORM[enemy];
}

// The three files that shelter a king on `file`: a-c, c-e, d-f or f-h.
int first_wing_file(int file) { return file <= 2 ? 0 : file >= 5 ? 5 : file - 1; }

DangerPair shelter(const Position& p, Square king, int colour) {
    const Square own_view = relative_square(king, colour);
    const int file = file_of(king);
    const Bitboard own_pawns = p.pieces[piece_of(PAWN, colour)];
    const bool kings_apart = (file <= 3) != (file_of(p.king_sq[colour ^ 1]) <= 3);
    int files = 0, doubled = 0, own_file = 0;
    for (int f = first_wing_file(file); f < first_wing_file(file) + 3; ++f) {
        int danger = file_danger(p, f, king, colour);
        // With the enemy king on the other wing, the centre is where the fight is not.
        if (kings_apart && (f == 3 || f == 4)) danger /= 2;
        if (f == file) own_file = danger;
        files += danger;
        doubled += popcount(own_pawns & file_mask(f)) >= 2;
    }
    if (file == 2 || file == 5) files = std::min(files, std::max(50, own_file * 140 / 128));
    const int base = SHELTER_BASE[std::min(rank_of(own_view), 3)][file];
    const int mg = (base * 140 / 128 + files * 140 / 128) - 2 * doubled;
    const int eg = (base * 112 / 128 + files * 112 / 128) - 6 * doubled;
    return {std::clamp(mg, 0, SHELTER_CAP), std::clamp(eg, 0, SHELTER_CAP)};
}

}  // namespace

void compute_shelters(const Position& p, PawnKingBlock& block) {
    for (int colour : {BLACK, WHITE}) {
        const DangerPair g = shelter(p, relative_square(6, colour), colour);
        const DangerPair b = shelter(p, relative_square(1, colour), colour);
        block.castle_shelter[KING_WING][colour] = uint8_t((g.mg + g.eg) / 2);
        block.castle_shelter[QUEEN_WING][colour] = uint8_t((b.mg + b.eg) / 2);

        const Square king = p.king_sq[colour];
        DangerPair own = shelter(p, king, colour);
        if (file_of(king) == 3 || file_of(king) == 4) {
            // A king still in the centre is judged partly by the better of its castle squares.
            const int m = std::min(block.castle_shelter[KING_WING][colour],
                                   block.castle_shelter[QUEEN_WING][colour]);
            own.mg = std::min(own.mg + m / 4, SHELTER_CAP);
            own.eg = std::min(own.eg + (m / 2) * 3 / 4, SHELTER_CAP);
        }
        block.shelter[colour][MIDDLEGAME] = uint8_t(own.mg);
        block.shelter[colour][ENDGAME] = uint8_t(own.eg);
    }
}
