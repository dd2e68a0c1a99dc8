#include "eval/mobility.h"

#include <algorithm>

uint8_t mobility_counts[4][64][64];

namespace {

// A reachable square's worth by its ring, edge first, centre (d4-e5) last, fitted to game
// results. The centre counts most; an edge square counts more than the ring inside it, likely
// because a line that reaches the edge is one that nothing blocks.
constexpr int RING_WEIGHT[4] = {12, 9, 12, 15};

int square_weight(Square s) {
    return RING_WEIGHT[std::min({file_of(s), 7 - file_of(s), rank_of(s), 7 - rank_of(s)})];
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
        if (!occupied) sum += square_weight(t);
    }
    return sum;
}

}  // namespace

void init_mobility_tables() {
    for (int o = 0; o < 4; ++o)
        for (Square s = 0; s < 64; ++s)
            for (int k = 0; k < 64; ++k) mobility_counts[o][s][k] = uint8_t(line_count(o, s, k));
}
