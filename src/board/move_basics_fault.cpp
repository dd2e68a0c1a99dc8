#include "board/move_basics_fault.h"

#include <cstdio>
#include <cstdlib>

void report_king_capture(const Position& p, Move move) {
    std::fprintf(stderr, "VP_ERROR::make_move(): Unknown piece type %d captured.\n",
                 move_captured(move));
    (void)p;
    std::exit(-1);
}
