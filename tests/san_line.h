// Positions and moves along a line of SAN moves, for the book and options tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/fen.h"
#include "board/notation.h"
#include "board/t_move_basics.h"

// The position after `moves` (SAN, blank-separated) from the start position, or from `fen`.
inline Position& after(const std::string& moves, const char* fen = nullptr) {
    static Position p;
    if (fen) EXPECT_EQ(read_fen(p, fen), PARSE_OK);
    else reset_position(p);
    int consumed = 0;
    Move move;
    for (const char* s = moves.c_str(); parse_move(p, s, &consumed, &move) == PARSE_OK; s += consumed)
        make_move(p, move);
    return p;
}

// The move `san` in the position after `moves`.
inline Move move_after(const std::string& moves, const char* san, const char* fen = nullptr) {
    Move move = NULL_MOVE;
    EXPECT_EQ(parse_move(after(moves, fen), san, nullptr, &move), PARSE_OK) << san;
    return move;
}
