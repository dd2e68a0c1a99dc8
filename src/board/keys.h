// Zobrist keys: one fixed table of random numbers, the same on every run (book files rely on it).
#pragma once

#include <array>
#include <cstdint>

#include "board/position.h"

constexpr int KEY_ROW_EP_RANK3 = 64;
constexpr int KEY_ROW_EP_RANK6 = 65;
constexpr int KEY_ROW_WHITE_CASTLE = 66;  // column 0 king side, 1 queen side
constexpr int KEY_ROW_BLACK_CASTLE = 67;

namespace key_detail {

constexpr uint64_t splitmix64(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Columns 0 and 1 of the square rows stay zero, so an EMPTY captured code changes no key.
constexpr std::array<std::array<uint64_t, 14>, 68> build_key_table() {
    std::array<std::array<uint64_t, 14>, 68> t{};
    uint64_t state = 0x7A2B05C1D3E4F607ull;
    for (int row = 0; row < 68; ++row)
        for (int col = row < 64 ? 2 : 0; col < 14; ++col) t[row][col] = splitmix64(state);
    return t;
}

}  // namespace key_detail

inline constexpr auto key_table = key_detail::build_key_table();

inline uint64_t piece_key(Square s, int piece) { return key_table[s][piece]; }

inline uint64_t ep_key(Square ep) {
    return key_table[ep < 33 ? KEY_ROW_EP_RANK3 : KEY_ROW_EP_RANK6][file_of(ep)];
}

// Xor of the keys of every right set in `flags`, indexed by the 4-bit flag set.
inline constexpr auto castle_keys = [] {
    std::array<uint64_t, 16> k{};
    for (int f = 0; f < 16; ++f) {
        if (f & WKC) k[f] ^= key_table[KEY_ROW_WHITE_CASTLE][0];
        if (f & WQC) k[f] ^= key_table[KEY_ROW_WHITE_CASTLE][1];
        if (f & BKC) k[f] ^= key_table[KEY_ROW_BLACK_CASTLE][0];
        if (f & BQC) k[f] ^= key_table[KEY_ROW_BLACK_CASTLE][1];
    }
    return k;
}();

uint64_t compute_hash_key(const Position& p);
uint64_t compute_pawn_key(const Position& p);
// The key of the pawns and both kings, used by the king-safety hash.
uint64_t king_pawn_key(const Position& p);
