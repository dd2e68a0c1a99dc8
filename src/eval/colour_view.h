// Fixed sets as either colour sees them: the rules name squares from White's side and Black
// reads them mirrored vertically.
#pragma once

#include "eval/square_sets.h"

constexpr Bitboard relative_set(Bitboard white_view, int colour) {
    return colour == WHITE ? white_view : __builtin_bswap64(white_view);
}
