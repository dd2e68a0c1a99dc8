// Per-piece-code tables. Make/unmake select bitboard updates through these masks instead of
// branching on the piece, and a captured code of EMPTY changes nothing through them.
#pragma once

#include <array>

#include "common/types.h"

namespace piece_tables {

constexpr Bitboard ALL = ~Bitboard(0);

constexpr bool is_rook_like_code(int c) { return c >= BROOK && c <= WQUEEN; }
constexpr bool is_bishop_like_code(int c) {
    return c == BBISHOP || c == WBISHOP || c == BQUEEN || c == WQUEEN;
}

template <typename F>
constexpr std::array<Bitboard, 16> mask_where(F pred) {
    std::array<Bitboard, 16> t{};
    for (int c = 0; c < 16; ++c) t[c] = pred(c) ? ALL : 0;
    return t;
}

template <typename F>
constexpr std::array<int, 16> count_where(F pred) {
    std::array<int, 16> t{};
    for (int c = 0; c < 16; ++c) t[c] = pred(c) ? 1 : 0;
    return t;
}

}  // namespace piece_tables

inline constexpr auto PAWN_MASK =
    piece_tables::mask_where([](int c) { return c == BPAWN || c == WPAWN; });
inline constexpr auto REAL_PIECE_MASK = piece_tables::mask_where([](int c) { return c >= 2; });
inline constexpr auto ROOK_LIKE_MASK = piece_tables::mask_where(piece_tables::is_rook_like_code);
inline constexpr auto BISHOP_LIKE_MASK =
    piece_tables::mask_where(piece_tables::is_bishop_like_code);
inline constexpr auto NOT_ROOK_LIKE_MASK =
    piece_tables::mask_where([](int c) { return !piece_tables::is_rook_like_code(c); });
inline constexpr auto NOT_BISHOP_LIKE_MASK =
    piece_tables::mask_where([](int c) { return !piece_tables::is_bishop_like_code(c); });

inline constexpr auto IS_PAWN = piece_tables::count_where([](int c) { return c == 2 || c == 3; });
inline constexpr auto IS_MINOR = piece_tables::count_where([](int c) { return c >= 4 && c <= 7; });
inline constexpr auto IS_MAJOR = piece_tables::count_where([](int c) { return c >= 8 && c <= 11; });

// Kings write their square into king_sq[colour]; every other piece writes into scratch slot 2.
inline constexpr std::array<int, 16> KING_SLOT = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 1, 2, 2};

// Sliders by piece type (index PAWN..KING; 0 and 7 unused).
inline constexpr std::array<bool, 8> ROOK_LIKE_TYPE = {false, false, false, false, true, true, false, false};
inline constexpr std::array<bool, 8> BISHOP_LIKE_TYPE = {false, false, false, true, false, true, false, false};

// Material, white positive.
inline constexpr std::array<int, 16> piece_value = {
    0, 0, -100, 100, -400, 400, -400, 400, -600, 600, -1300, 1300, -9000, 9000, 0, 0};
inline constexpr std::array<int, 16> piece_value_abs = {
    0, 0, 100, 100, 400, 400, 400, 400, 600, 600, 1300, 1300, 9000, 9000, 0, 0};

// Letters by code; codes that never stand on the board print as '*'.
inline constexpr char PIECE_LETTERS[17] = "-*pPnNbBrRqQkK**";
inline constexpr char piece_letter(int code) {
    return code >= 0 && code < 16 ? PIECE_LETTERS[code] : '*';
}
