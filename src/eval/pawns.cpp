// The pawn term: the cached structure sums blended by the pawns' phase, centre pawns blocked by
// pieces, passers without an answer, and the rules of pawn endings.
#include <algorithm>

#include "board/attacks.h"
#include "eval/pawn_rules.h"
#include "eval/phase.h"
#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

int sign(int colour) { return colour == WHITE ? 1 : -1; }

// A d- or e-pawn on its start square with a piece in front of it: the pawn and the bishop
// behind it are stuck.
int blocked_centre_pawns(const Position& p) {
    int term = 0;
    for (int c = BLACK; c <= WHITE; ++c) {
        for (Bitboard b = p.pieces[piece_of(PAWN, c)] & relative_set(named("d2e2"), c); b;) {
            const int blocker = p.board[pop_lowest(b) + pawn_push(c)];
            if (blocker == EMPTY || type_of(blocker) > BISHOP) continue;
            if (colour_of(blocker) != c)
                term -= sign(c) * 19;
            else if (type_of(blocker) != PAWN)
                term -= sign(c) * 18;
        }
    }
    return term;
}

int passers_and_candidates(const PawnKingBlock& block, int colour) {
    return block.passer_files[colour] | block.candidate_files[colour];
}

// A king inside the square of every passer catches them all; the side to move has a step
// more.
bool king_catches_passers(const Position& p, Bitboard passers, int owner) {
    const int defender = owner ^ 1;
    const int field = owner == WHITE
                          ? (p.turn == defender ? WHITE_PAWN_SQUARE_WIDE : WHITE_PAWN_SQUARE)
                          : (p.turn == defender ? BLACK_PAWN_SQUARE_WIDE : BLACK_PAWN_SQUARE);
    for (Bitboard b = passers; b;)
        if (!(tables.square_masks[pop_lowest(b)][field] & square_bit(p.king_sq[defender])))
            return false;
    return true;
}

int unstoppable_passers(const Position& p, const EvalInfo& info) {
    int term = 0;
    for (int c = BLACK; c <= WHITE; ++c) {
        if (!info.passed_pawns[c] || passers_and_candidates(info.block, c ^ 1)) continue;
        if (relative_rank(p.king_sq[c], c) < 3 || relative_rank(p.king_sq[c ^ 1], c ^ 1) > 3)
            continue;
        if (!king_catches_passers(p, info.passed_pawns[c], c)) term += sign(c) * 200;
    }
    return term;
}

int outside_distance(int files) {
    const int low = std::countr_zero(unsigned(files)),
              high = 31 - std::countl_zero(unsigned(files));
    return std::max(3 - low, high - 4);
}

// The passer furthest from the middle draws the enemy king away; better still when the king
// already stops the enemy's only passer file.
int outside_passer(const Position& p, const PawnKingBlock& block) {
    const int files[2] = {passers_and_candidates(block, BLACK),
                          passers_and_candidates(block, WHITE)};
    if (!files[BLACK] || !files[WHITE]) return 0;
    const int distance[2] = {outside_distance(files[BLACK]), outside_distance(files[WHITE])};
    if (distance[BLACK] == distance[WHITE]) return 0;
    const int c = distance[WHITE] > distance[BLACK] ? WHITE : BLACK;
    int bonus = 32;
    if (popcount(Bitboard(files[c ^ 1])) == 1) {
        const Bitboard enemy_pawns =
            p.pieces[piece_of(PAWN, c ^ 1)] & file_mask(std::countr_zero(unsigned(files[c ^ 1])));
        const Square front =
            c == BLACK ? 63 - std::countl_zero(enemy_pawns) : lowest_square(enemy_pawns);
        if (file_ahead(front, c ^ 1) & square_bit(p.king_sq[c])) bonus += 55;
    }
    return sign(c) * bonus;
}

// Kings on opposite flanks of all the pawns: the one nearer to them (the side to move a file
// nearer) eats into them first.
int distant_king(const Position& p, const PawnKingBlock& block) {
    if (!p.pieces[BPAWN] || !p.pieces[WPAWN]) return 0;
    const int files = block.pawn_files[BLACK] | block.pawn_files[WHITE];
    const int low = std::countr_zero(unsigned(files)),
              high = 31 - std::countl_zero(unsigned(files));
    int gap[2];
    for (int c = BLACK; c <= WHITE; ++c) {
        const int f = file_of(p.king_sq[c]);
        gap[c] = (f < low ? low - f : f > high ? f - high : 0) - (p.turn == c);
    }
    const int w = file_of(p.king_sq[WHITE]), b = file_of(p.king_sq[BLACK]);
    const bool opposite = (w > high && b < low) || (w < low && b > high);
    if (!opposite || gap[WHITE] == gap[BLACK]) return 0;
    const int c = gap[WHITE] < gap[BLACK] ? WHITE : BLACK;
    const int rank = rank_of(p.king_sq[c]);
    return rank >= 2 && rank <= 5 ? sign(c) * 150 : 0;
}

int pawn_ending(const Position& p, const EvalInfo& info) {
    const PawnKingBlock& block = info.block;
    int term = unstoppable_passers(p, info);
    if (block.flags == BLACK_SUPPORTED_PASSER) term -= 175;
    if (block.flags == WHITE_SUPPORTED_PASSER) term += 175;
    if (block.pawn_files[BLACK] != block.pawn_files[WHITE] &&
        p.pawn_count[BLACK] != p.pawn_count[WHITE])
        term += p.pawn_count[WHITE] > p.pawn_count[BLACK] ? 30 : -30;
    return term + outside_passer(p, block) + distant_king(p, block);
}

}  // namespace

int pawn_term(const Position& p, EvalInfo& info) {
    const PawnKingBlock& block = info.block;
    int term = blend_phase(block.structure[MIDDLEGAME], block.structure[ENDGAME], pawn_phase(p));
    term += blocked_centre_pawns(p);
    // A passer that nothing on the other side can answer, with no piece left to stop it.
    for (int c = BLACK; c <= WHITE; ++c)
        if (passers_and_candidates(block, c) && !passers_and_candidates(block, c ^ 1) &&
            p.piece_count[c ^ 1] == 0)
            term += sign(c) * 25;
    if (p.piece_count[BLACK] + p.piece_count[WHITE] == 0) term += pawn_ending(p, info);
    return term;
}
