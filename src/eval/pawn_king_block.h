// The 64-byte record that the king hash and the pawn hash both store: everything the evaluation
// derives from the pawns alone, plus the parts that also depend on where the two kings stand.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/types.h"

// Index of the castle-shelter bytes by wing.
enum CastleWing : int { KING_WING = 0, QUEEN_WING = 1 };
// Index of the bishop-colour pawn weights by square colour.
enum SquareShade : int { LIGHT_SQUARES = 0, DARK_SQUARES = 1 };
// Index of a middlegame/endgame pair.
enum GameStage : int { MIDDLEGAME = 0, ENDGAME = 1 };

// Bit of `flags`: Black, or White, has a supported passed pawn in the far half of the board.
constexpr uint8_t BLACK_SUPPORTED_PASSER = 1;
constexpr uint8_t WHITE_SUPPORTED_PASSER = 2;

// Colour-indexed arrays are [BLACK], [WHITE]; file sets have bit 0 for the a-file.
struct PawnKingBlock {
    uint64_t key;  // pawn key in the pawn hash; pawn key ^ both king-square keys in the king hash
    Bitboard weak_pawns[2];    // isolated or backward pawns
    Bitboard safe_advance[2];  // squares the pawns can walk to safely
    uint8_t pawn_files[2];
    uint8_t passer_files[2];
    uint8_t candidate_files[2];
    uint8_t empty_files;  // files without a pawn of either colour
    uint8_t flags;
    // The rest up to the structure scores depends on the king squares (king hash only).
    uint8_t shelter[2][2];         // [colour][GameStage]: danger of the king where it stands
    uint8_t castle_shelter[2][2];  // [CastleWing][colour]: g8, g1, b8, b1, stages averaged
    int16_t structure[2];          // [GameStage]: White minus Black
    uint8_t bishop_pawn_weight[2][2];  // [SquareShade][colour]
};

static_assert(sizeof(PawnKingBlock) == 64);
static_assert(offsetof(PawnKingBlock, pawn_files) == 40);
static_assert(offsetof(PawnKingBlock, empty_files) == 46);
static_assert(offsetof(PawnKingBlock, shelter) == 48);
static_assert(offsetof(PawnKingBlock, castle_shelter) == 52);
static_assert(offsetof(PawnKingBlock, structure) == 56);
static_assert(offsetof(PawnKingBlock, bishop_pawn_weight) == 60);
