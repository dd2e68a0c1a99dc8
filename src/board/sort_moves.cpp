// Ordering a move list by its scores for the move picker.
#include <cstdint>
#include <utility>

#include "board/movegen.h"

namespace {

// Ranges this short are left to the final insertion sort.
constexpr int SHORT_RANGE = 8;
// Lists this short skip the key packing and the partitioning altogether.
constexpr int IN_PLACE_LIMIT = 16;

int64_t median_of_three(int64_t a, int64_t b, int64_t c) {
    if (a < b) std::swap(a, b);
    if (b < c) std::swap(b, c);
    if (a < b) std::swap(a, b);
    return b;
}

// Partitions keys[lo..hi] (highest first) until every range is short; recursing only into the
// smaller part keeps the stack depth logarithmic.
void partition_pass(int64_t* keys, int lo, int hi) {
    while (hi - lo >= SHORT_RANGE) {
        int64_t pivot = median_of_three(keys[lo], keys[(lo + hi) / 2], keys[hi]);
        int i = lo, j = hi;
        while (i <= j) {
            while (keys[i] > pivot) ++i;
            while (keys[j] < pivot) --j;
            if (i <= j) std::swap(keys[i++], keys[j--]);
        }
        if (j - lo < hi - i) {
            partition_pass(keys, lo, j);
            lo = i;
        } else {
            partition_pass(keys, i, hi);
            hi = j;
        }
    }
}

void insertion_sort(int64_t* keys, int n) {
    for (int i = 1; i < n; ++i) {
        int64_t key = keys[i];
        int j = i;
        for (; j > 0 && keys[j - 1] < key; --j) keys[j] = keys[j - 1];
        keys[j] = key;
    }
}

// Short lists, the usual case in quiescence, are sorted in place in the same order as the
// packed keys would give.
void insertion_sort_pairs(int* scores, Move* moves, int n) {
    for (int i = 1; i < n; ++i) {
        const int score = scores[i];
        const Move move = moves[i];
        int j = i;
        for (; j > 0 && (scores[j - 1] < score || (scores[j - 1] == score && moves[j - 1] < move)); --j) {
            scores[j] = scores[j - 1];
            moves[j] = moves[j - 1];
        }
        scores[j] = score;
        moves[j] = move;
    }
}

}  // namespace

void sort_moves(int* scores, Move* moves, int n) {
    // Lists longer than any generation are outside the contract; the buffer is never overrun.
    if (n > MAX_MOVES) n = MAX_MOVES;
    if (n <= IN_PLACE_LIMIT) {
        insertion_sort_pairs(scores, moves, n);
        return;
    }
    // Score in the upper half, move in the lower: one comparison orders by score, then by move.
    int64_t keys[MAX_MOVES];
    for (int i = 0; i < n; ++i) keys[i] = int64_t(scores[i]) << 32 | int64_t(moves[i]);
    partition_pass(keys, 0, n - 1);
    insertion_sort(keys, n);
    for (int i = 0; i < n; ++i) {
        scores[i] = int(keys[i] >> 32);
        moves[i] = Move(uint64_t(keys[i]));
    }
}
