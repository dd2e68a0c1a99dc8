// Scores and counters as text.
#pragma once

#include <cstdint>

// The score (centipawns, from the side to move's view; `turn` is the side to move of the game)
// as text: from White's view unless `scorepov` is on, mates as "MAT%d"/"-MAT%d" in moves with
// `mate_form`, otherwise pawns ("%.2f") or centipawns. The text lives in one static buffer that
// the next call overwrites.
const char* score_text(int score, bool mate_form, bool as_pawns, int turn);
// Writes `n` in decimal; returns the length.
int count_text(char* buffer, int64_t n);
