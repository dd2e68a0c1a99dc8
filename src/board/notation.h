// Moves as text: reading coordinate and SAN forms, writing SAN, long algebraic and coordinates.
#pragma once

#include "board/position.h"

enum MoveTextType : int { MTT_SAN = 0, MTT_LONG = 1, MTT_COORD = 2 };

// The square named by the two characters at `text` ("e4"), or -1.
Square square_from_text(const char* text);

// Reads a move in coordinate notation (also in the long form written here) or SAN; returns a
// ParseCode. Trial moves are unmade, so `p` is unchanged. Legality beyond the choice between candidates is the caller's test.
int parse_move(Position& p, const char* text, int* consumed, Move* move_out);
// Writes `move` in the given notation (at most 8 characters with the terminator); returns the
// length. The top byte of the move is ignored.
int m_sprint(char* buffer, const Position& p, Move move, int type);
// The long algebraic text of `move` in the next of 8 rotating buffers, so that up to 8 results
// can appear in one print statement.
const char* move_text(Move move);
// Writes a move sequence played from `start`, each move followed by a blank; with `numbered`,
// move numbers count from 1 for the list. Returns the length.
int write_move_list(char* buffer, const Position& start, const Move* moves, int count, int type,
                    bool numbered);
