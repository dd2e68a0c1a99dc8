// The evaluation terms that `evaluate` adds up, each from White's point of view and before its
// weight. The king hash and pawn hash work that a cache miss calls for is declared here too.
#pragma once

#include "board/position.h"
#include "eval/eval_info.h"

// Knights and bishops: placement (also added to piece_tally) plus structure.
int minor_term(const Position& p, EvalInfo& info);
// Rooks and queens.
int major_term(const Position& p, EvalInfo& info);
int pawn_term(const Position& p, EvalInfo& info);
int passer_term(const Position& p, EvalInfo& info);
// Replaces each king_attack flag with the enemy king's computed danger.
int king_term(const Position& p, EvalInfo& info);
// Tempo, positional surplus, threats and material imbalances.
int synergy_term(const Position& p, EvalInfo& info);

// On a pawn-hash miss: fills the pawn-only fields of a cleared block.
void compute_pawn_structure(const Position& p, PawnKingBlock& block);
// On a king-hash miss: adds the candidate passers' scores, which depend on the enemy king.
void add_candidate_scores(const Position& p, PawnKingBlock& block);
// On a king-hash miss: the shelter bytes of both kings and of the four castle squares.
void compute_shelters(const Position& p, PawnKingBlock& block);
