// Debugging dumps of a position and of a bitboard.
#pragma once

#include "board/position.h"

constexpr int DUMP_BUFFER_SIZE = 4096;

// Writes the board, rights, counters and key; with `full` every occupancy view as well. The
// buffer must hold DUMP_BUFFER_SIZE bytes. Returns the length.
int dump_position(char* buffer, const Position& p, bool full);
// Writes 8 lines of 0/1 from rank 8 to rank 1; returns the length.
int dump_bitboard(char* buffer, Bitboard b);
