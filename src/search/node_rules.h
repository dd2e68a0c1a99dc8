// The rules that decide which subtree a node searches: early ends, the null move and what its
// search says, the internal searches, the singular test and the extensions. They read the node's
// frame and position and change nothing but the frame fields they name, so the node search
// reads as a sequence of decisions and each decision can be tried on its own.
#pragma once

#include "common/search_stats.h"
#include "search/context.h"

// The node's alpha already beats any mate that can still be found below it.
bool mate_distance_prunes(const Frame& f);
// Draw by repetition or by the 50-move rule. Sets `f.no_tt_cut` near the 50-move horizon and
// for a single repetition close to the root, which is no draw there yet.
bool is_draw(const Position& p, Frame& f);

// The node was reached by a reduced scout search from `parent` (null at the bottom).
bool reached_by_reduced_scout(const StackEntry* parent);
// The reduced move made the parent's position clearly better, so the node sends it back for a
// full search; counts the refusal in the parent's frame.
bool reduced_move_looks_good(const StackEntry* parent, const Frame& f, int turn);

bool null_move_allowed(const Position& p, const Frame& f);
// The depth of the null move's search.
int null_move_depth(const Position& p, int depth);
// The opponent's best reply to the null move, as far as its search found one.
Move null_move_reply(const Frame& null_child);
// When the null search finds the opponent mating, whether the threat is real: the piece making
// the opponent's best reply `reply` cannot simply be won first.
bool mate_threat_is_real(const Position& p, Move reply);
// The null search says the reduced move that led here was a mistake: re-search it in full.
bool refutes_reduction(const StackEntry* parent, const Frame& f, Move reply);

// The internal search that finds a first move for a node without a good table move.
enum class FirstMoveSearch { NONE, IID, PROBE };
FirstMoveSearch first_move_search(const Frame& f);
// After the node's first move scored `score`, an ordering search of the other moves follows.
bool ordering_search_follows(const Frame& f, int score);

// Whether the node takes the singular test; clears `f.singular` where the test does not apply.
bool singular_test_applies(const Position& p, Frame& f);

// The extension of the move just made in `p` (recorded in `e`), capped at one ply, with each
// granted extension counted in `stats`. `pressed`: the side to move, in check, was in check or
// under a mate threat at its own previous node as well.
int move_extension(const Position& p, const Frame& f, const StackEntry& e, int iteration,
                   SearchStats& stats, bool pressed);
