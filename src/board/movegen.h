// Move generators. Each appends to a caller-owned list and advances the caller's count; all are
// pseudo-legal (the caller tests the mover's king after make_move) except the check evasions.
#pragma once

#include "board/position.h"

// Room for any single generation (no position has more than 218 legal moves).
constexpr int MAX_MOVES = 256;

// Squares from which a piece of each type would attack the enemy king, indexed by piece type.
struct CheckSquares {
    Bitboard by_type[8];
};

// Captures and queen promotions by push. A capture is produced when its target is in
// `target_mask` or in the check set of the moving piece's kind; `check_squares` may be null
// when `target_mask` is all ones.
void gen_captures(const Position& p, Move* list, int& count, const CheckSquares* check_squares,
                  Bitboard target_mask);
// Every non-capturing move except the queen promotion by push.
void gen_quiet(const Position& p, Move* list, int& count);
// Legal moves of a side in check.
void gen_evasions(const Position& p, Move* list, int& count);
// Quiet checking moves; returns the mover's pieces whose departure uncovers a check.
Bitboard gen_checks(const Position& p, Move* list, int& count);
// Every legal move, in generation order.
void gen_legal(Position& p, Move* list, int& count);

// Whether `move` could have been generated in `p`.
bool is_valid_move(const Position& p, Move move);
// is_valid_move, and the mover's king is not left in check.
bool is_legal_move(Position& p, Move move);

// Static exchange value of `move` for the side making it, in centipawns.
int see_move(const Position& p, Move move);
// Whether see_move(p, move) < 0, mostly found without the full exchange.
bool see_loses(const Position& p, Move move);
// The same, given every square the opponent attacks: a move to a square outside them can only
// be taken through the square it leaves, which settles most quiet moves at once.
bool see_loses(const Position& p, Move move, Bitboard their_reach);
// Static exchange value of `colour` opening a capture sequence on `s` with the attacker set
// `attackers` (both colours); 0 when `colour` has no attacker in the set.
int see_square(const Position& p, Square s, int colour, Bitboard attackers);

// Sorts moves and their scores together, highest score first; equal scores put the higher move
// value first. Takes any list a generator produces (up to MAX_MOVES).
void sort_moves(int* scores, Move* moves, int n);
