// Global settings: plain variables that the options code sets and the rest of the engine reads
// directly. Booleans are ints holding 0 or 1.
#pragma once

// Scores are shown from the side to move's point of view instead of White's.
extern int scorepov;
// Principal variations mark moves that received the singular extension with "!".
extern int print_singular_moves;
// The mate-threat extension of the search; its moves are marked "[M]" in principal variations.
extern int enable_mate_extension;
