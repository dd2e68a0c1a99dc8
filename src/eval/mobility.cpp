#include "eval/mobility.h"

#include <algorithm>

uint8_t mobility_counts[4][64][64];

namespace {

// A reachable square's worth, by the kind of line (rank, file, diagonal) and by the square's
// place in its quarter of the board: 4 x its rank from the nearer edge + its file from the nearer
// edge, so a1, d1 and d4 are 0, 3 and 15 (a group of four per rank, edge first). Fitted to game
// results and to a stronger engine's evaluations of the games' quiet positions.
constexpr int SQUARE_WEIGHT[3][16] = {
    {12,  7, 12, 12,    0,  0, 10, 19,    7,  4, 12, 12,   14, 10, 12, 12},  // along a rank
    { 7, 14, 12, 12,    6, 11, 20, 22,    9,  8, 20, 12,   24, 11, 14,  9},  // along a file
    {11, 12, 13, 12,   11,  2,  9, 10,   12,  9, 11, 10,   12,  0, 12, 18},  // along a diagonal
};

int square_weight(int orientation, Square s) {
    const int quarter_square =
        std::min(rank_of(s), 7 - rank_of(s)) * 4 + std::min(file_of(s), 7 - file_of(s));
    // One row for both diagonals: a row each would tell a board from its left-right mirror.
    const int line_kind = orientation == ORIENT_H1A8 ? ORIENT_A1H8 : orientation;
    return SQUARE_WEIGHT[line_kind][quarter_square];
}

int rotated_index(int orientation, Square s) {
    switch (orientation) {
        case ORIENT_RANK: return s;
        case ORIENT_FILE: return tables.rot90_of[s];
        case ORIENT_A1H8: return tables.a1h8_of[s];
        default: return tables.h1a8_of[s];
    }
}

// Where a line meets the edge of the board; the occupancy index never holds these squares.
bool ends_line(int orientation, Square t) {
    const bool edge_file = file_of(t) == 0 || file_of(t) == 7;
    const bool edge_rank = rank_of(t) == 0 || rank_of(t) == 7;
    if (orientation == ORIENT_RANK) return edge_file;
    if (orientation == ORIENT_FILE) return edge_rank;
    return edge_file || edge_rank;
}

// The squares a slider on `s` can move to in line state k. The piece met first on each side
// is not counted, except at the line's end, whose occupancy no index holds: there the square
// counts on both wings alike, free or not.
int line_count(int orientation, Square s, int k) {
    const int line_start = int(tables.shift[orientation][s]) - 1;  // bit of line position 0
    int sum = 0;
    for (Bitboard reached = tables.line_attacks[orientation][s][k]; reached;) {
        const Square t = pop_lowest(reached);
        const int position = rotated_index(orientation, t) - line_start;
        const bool occupied = !ends_line(orientation, t) && (k >> (position - 1) & 1);
        if (!occupied) sum += square_weight(orientation, t);
    }
    return sum;
}

}  // namespace

void init_mobility_tables() {
    for (int o = 0; o < 4; ++o)
        for (Square s = 0; s < 64; ++s)
            for (int k = 0; k < 64; ++k) mobility_counts[o][s][k] = uint8_t(line_count(o, s, k));
}
