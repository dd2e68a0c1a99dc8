// Positions as FEN text (with the EPD "bm" extension).
#pragma once

#include "board/position.h"

// Result codes shared by the FEN and move readers.
enum ParseCode : int {
    PARSE_OK = 0,
    PARSE_END = 1,           // text ended before the item
    PARSE_BAD_SIDE_OR_EP = 2,
    PARSE_BAD_BOARD = 3,     // bad board segment or impossible position
    PARSE_NO_PIECE = 4,      // no piece found for the move
    PARSE_SYNTAX = 11
};

constexpr int MAX_BM_MOVES = 16;

// Reads `text` into `p`. `consumed` receives the characters read; when `bm_moves` is given (room
// for MAX_BM_MOVES) the moves of a following "bm" field are read into it and counted in
// `bm_count`. On failure `p` is left partly set: callers reset or reject it.
int read_fen(Position& p, const char* text, int* consumed = nullptr, Move* bm_moves = nullptr,
             int* bm_count = nullptr);
// Writes the FEN of `p` (at most 100 characters with the terminator); returns its length.
int write_fen(char* buffer, const Position& p);
