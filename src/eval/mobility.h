// Slider mobility read from the rotated occupancies: for every line state a weighted count of
// the free squares reached, so that a piece's mobility costs a few table loads and no square walk.
#pragma once

#include <cstdint>

#include "board/attacks.h"

// [orientation][square][occupancy index], indexed like the line attack tables.
extern uint8_t mobility_counts[4][64][64];

// Built from the line attack tables, so it runs after them.
void init_mobility_tables();

// The weighted count of the free squares a slider on `s` reaches along one line.
inline int line_mobility(int orientation, Square s, Bitboard occupancy) {
    uint32_t k = uint32_t(occupancy >> tables.shift[orientation][s]) & 63;
    return mobility_counts[orientation][s][k];
}
