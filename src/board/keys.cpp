#include "board/keys.h"

uint64_t compute_hash_key(const Position& p) {
    uint64_t key = 0;
    for (Square s = 0; s < 64; ++s) key ^= piece_key(s, p.board[s]);
    if (p.ep_square) key ^= ep_key(p.ep_square);
    key ^= castle_keys[p.castle_flags & 15];
    return p.turn == BLACK ? ~key : key;
}

uint64_t compute_pawn_key(const Position& p) {
    uint64_t key = 0;
    for (Square s = 0; s < 64; ++s)
        if (type_of(p.board[s]) == PAWN) key ^= piece_key(s, p.board[s]);
    return key;
}

uint64_t king_pawn_key(const Position& p) {
    return p.pawn_key ^ piece_key(p.king_sq[WHITE], WKING) ^ piece_key(p.king_sq[BLACK], BKING);
}
