// Evaluation settings: plain globals that the options code sets and the evaluation reads.
#pragma once

// Term weights, given as percentages and stored as percent * 128 / 100 (128 = unchanged).
extern int eval_passed_pawn_scoring;
extern int eval_pawn_scoring;
extern int eval_minor_scoring;
extern int eval_major_scoring;
extern int eval_kingsafety_scoring;
// Mobility counted as is (1) or quantised through the step tables (0).
extern int smooth_mobility;

// The phase every blend uses in place of the position's own: 128 shows the middlegame value
// of the terms, 0 the endgame value; -1, the setting in play, leaves each position its phase.
// Per thread, so that the eval command never disturbs a search running beside it.
extern thread_local int forced_phase;

constexpr int PHASE_TABLE_SIZE = 12;
// Middlegame share per 128, by (queens + pieces of both sides) / 2.
extern const int phase_table[PHASE_TABLE_SIZE];

// A term scaled by a stored weight, rounded towards zero.
inline int weighted(int term, int weight) { return term * weight / 128; }
