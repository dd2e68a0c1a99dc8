// The synergy term: tempo, a positional surplus turned into more, threats against pieces, and
// material imbalances judged by what is left on the board.
#include <algorithm>

#include "board/attacks.h"
#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

constexpr int TEMPO = 5;
constexpr int ROOK_THREATS[5] = {0, 16, 32, 48, 60};     // by the lead in threatened pieces
constexpr int DIAGONAL_THREATS[5] = {0, 8, 16, 24, 24};  // by count
constexpr int HANGING[5] = {0, 16, 32, 48, 48};          // by count
constexpr int QUEEN_ATTACKED = 15;
// The exchange, by the pawns on the board: worth less as the board fills with pawns.
constexpr int EXCHANGE[17] = {20, 20, 20, 20, 20, 15, 15, 12, 8, 5, 2, -1, -8, -10, -10, -10, -10};
constexpr int MAJOR_FOR_TWO_MINORS[6] = {30, 30, 15, 10, 5, 0};   // by the major side's pieces
constexpr int EXTRA_MINOR[8] = {-20, -15, -10, -5, 0, 0, 5, 10};  // by the enemy's pieces
constexpr int UNSTOPPABLE = 275;

int sign(int colour) { return colour == WHITE ? 1 : -1; }
int at_most(const int* table, int size, int index) { return table[std::clamp(index, 0, size - 1)]; }

Bitboard all_attacks(const Position& p, const EvalInfo& info, int colour) {
    Bitboard all = tables.king_attacks[p.king_sq[colour]];
    for (int type = PAWN; type <= QUEEN; ++type) all |= info.attacks[colour][type];
    return all;
}

Bitboard pieces_of(const Position& p, int colour) {
    return p.pieces[colour] & ~p.pieces[piece_of(PAWN, colour)] & ~p.pieces[piece_of(KING, colour)];
}

// The tally's part beyond a limit, halved, and halved again without a weak pawn to attack.
int positional_surplus(const Position& p, const EvalInfo& info, const Bitboard attacks[2]) {
    const int limit = (p.piece_count[BLACK] + p.piece_count[WHITE]) / 2 < 2 ? 200 : 50;
    int term = 0;
    for (int c = BLACK; c <= WHITE; ++c) {
        int tally = sign(c) * info.piece_tally;
        if (p.piece_count[c] >= 4 && info.king_attack[c] > 60) tally += 20;
        if (tally <= limit) continue;
        int gain = (tally - limit) / 2;
        if (!(attacks[c] & info.block.weak_pawns[c ^ 1])) gain /= 2;
        term += sign(c) * gain;
    }
    return term;
}

int threats(const Position& p, const EvalInfo& info, const Bitboard attacks[2]) {
    int by_rooks[2], term = 0;
    for (int c = BLACK; c <= WHITE; ++c) {
        const int e = c ^ 1;
        const Bitboard targets = pieces_of(p, e);
        const Bitboard sliders =
            info.attacks[c][BISHOP] | info.attacks[c][ROOK] | info.attacks[c][QUEEN];
        by_rooks[c] = popcount(targets & (info.attacks[c][ROOK] | info.attacks[c][QUEEN]) &
                               ~info.attacks[e][PAWN]);
        const int diagonal = popcount(info.attacks[c][BISHOP] & p.rooks_queens[e]) +
                             popcount(info.attacks[c][ROOK] & p.pieces[piece_of(QUEEN, e)]);
        const int hanging = popcount(targets & sliders & ~attacks[e]);
        int gain = at_most(DIAGONAL_THREATS, 5, diagonal) + at_most(HANGING, 5, hanging);
        if (attacks[c] & p.pieces[piece_of(QUEEN, e)]) gain += QUEEN_ATTACKED;
        term += sign(c) * gain;
    }
    const int lead = by_rooks[WHITE] - by_rooks[BLACK];
    return term + (lead >= 0 ? 1 : -1) * at_most(ROOK_THREATS, 5, std::abs(lead));
}

int file_groups(int files) { return std::popcount(unsigned(files & ~(files << 1))); }

int imbalances(const Position& p, const EvalInfo& info) {
    const PawnKingBlock& block = info.block;
    const int majors = p.major_count[WHITE] - p.major_count[BLACK];
    const int minors = p.minor_count[WHITE] - p.minor_count[BLACK];
    const int pawns = std::min(16, p.pawn_count[BLACK] + p.pawn_count[WHITE]);
    int term = 0;
    if (majors * minors == -1) {
        // The exchange: the rook wants open files and pawns to attack on many fronts.
        const int c = majors > 0 ? WHITE : BLACK;
        int gain = EXCHANGE[pawns];
        if (block.empty_files == 0)
            gain -= 15;
        else if (p.major_count[c] == 1 && file_groups(block.pawn_files[c ^ 1]) >= 3)
            gain += 25;
        term += sign(c) * gain;
    } else if (majors * minors == -2 && std::abs(majors) == 1) {
        const int c = majors > 0 ? WHITE : BLACK;
        const Bitboard wings = box(0, 2, 0, 7) | box(5, 7, 0, 7);
        if (info.passed_pawns[c] & wings & relative_set(box(0, 7, 4, 7), c))
            term += sign(c) * at_most(MAJOR_FOR_TWO_MINORS, 6, p.piece_count[c]);
    } else if (majors == 0 && minors != 0) {
        const int c = minors > 0 ? WHITE : BLACK, e = c ^ 1;
        int gain = at_most(EXTRA_MINOR, 8, p.piece_count[e]);
        const Bitboard enemy_advanced = info.passed_pawns[e] & relative_set(box(0, 7, 4, 7), e);
        if (p.minor_count[c] == 1 && !info.passed_pawns[c] && popcount(enemy_advanced) >= 3)
            gain -= 100;
        term += sign(c) * gain;
    }
    return term;
}

// A pawn on the seventh whose queening square its side holds and the enemy does not.
int unstoppable_promotion(const Position& p, const EvalInfo& info) {
    int term = 0;
    for (int c = BLACK; c <= WHITE; ++c) {
        for (Bitboard b = info.passed_pawns[c] & relative_set(RANK_7, c); b;) {
            const Square queening = pop_lowest(b) + pawn_push(c);
            if (p.board[queening] == EMPTY && attacked(p, queening, c) &&
                !attacked(p, queening, c ^ 1)) {
                term += sign(c) * UNSTOPPABLE;
                break;
            }
        }
    }
    return term;
}

}  // namespace

int synergy_term(const Position& p, EvalInfo& info) {
    const Bitboard attacks[2] = {all_attacks(p, info, BLACK), all_attacks(p, info, WHITE)};
    int term = p.turn == WHITE ? TEMPO : -TEMPO;
    term += positional_surplus(p, info, attacks);
    term += threats(p, info, attacks);
    term += imbalances(p, info);
    return term + unstoppable_promotion(p, info);
}
