#include "board/position.h"

#include <cstring>

#include "board/attacks.h"
#include "board/keys.h"
#include "common/pieces.h"

namespace {

constexpr int BACK_RANK[8] = {WROOK, WKNIGHT, WBISHOP, WQUEEN, WKING, WBISHOP, WKNIGHT, WROOK};

void add_to_views(Position& p, Square s, int piece) {
    Bitboard b0 = tables.square_bits[s][ORIENT_RANK], b90 = tables.square_bits[s][ORIENT_FILE];
    Bitboard ba = tables.square_bits[s][ORIENT_A1H8], bh = tables.square_bits[s][ORIENT_H1A8];
    int colour = colour_of(piece);
    p.mat_balance += piece_value[piece];
    p.all_pieces |= b0;
    p.rot_90 |= b90;
    p.a1h8_diag |= ba;
    p.h1a8_diag |= bh;
    if (ROOK_LIKE_MASK[piece]) {
        p.rooks_queens[colour] |= b0;
    } else {
        p.rot0_x |= b0;
        p.rot90_x |= b90;
    }
    if (BISHOP_LIKE_MASK[piece]) {
        p.bishops_queens[colour] |= b0;
    } else {
        p.a1h8_x |= ba;
        p.h1a8_x |= bh;
    }
    if (PAWN_MASK[piece]) {
        p.all_pawns |= b0;
        p.rot0_p |= b0;
        p.rot90_p |= b90;
        p.a1h8_p |= ba;
        p.h1a8_p |= bh;
    }
    p.pieces[piece] |= b0;
    if (type_of(piece) == KING) p.king_sq[colour] = s;
}

}  // namespace

void reset_position(Position& p) {
    std::memset(&p, 0, sizeof p);
    p.castle_flags = WKC | WQC | BKC | BQC;
    p.turn = WHITE;
    for (int f = 0; f < 8; ++f) {
        p.board[f] = BACK_RANK[f];
        p.board[8 + f] = WPAWN;
        p.board[48 + f] = BPAWN;
        p.board[56 + f] = BACK_RANK[f] - 1;
    }
    setup_from_board(p);
}

void setup_from_board(Position& p) {
    std::memset(p.pieces, 0, sizeof p.pieces);
    std::memset(p.rooks_queens, 0, sizeof p.rooks_queens);
    std::memset(p.bishops_queens, 0, sizeof p.bishops_queens);
    p.all_pieces = p.rot_90 = p.a1h8_diag = p.h1a8_diag = 0;
    p.rot0_x = p.rot90_x = p.a1h8_x = p.h1a8_x = 0;
    p.rot0_p = p.rot90_p = p.a1h8_p = p.h1a8_p = p.all_pawns = 0;
    p.mat_balance = 0;
    for (Square s = 0; s < 64; ++s)
        if (p.board[s] != EMPTY) add_to_views(p, s, p.board[s]);
    for (int colour = BLACK; colour <= WHITE; ++colour) {
        for (int type = PAWN; type <= KING; ++type) p.pieces[colour] |= p.pieces[piece_of(type, colour)];
        p.pawn_count[colour] = popcount(p.pieces[piece_of(PAWN, colour)]);
        p.minor_count[colour] = popcount(p.pieces[piece_of(KNIGHT, colour)] |
                                         p.pieces[piece_of(BISHOP, colour)]);
        p.major_count[colour] = popcount(p.rooks_queens[colour]);
        p.piece_count[colour] = p.minor_count[colour] + p.major_count[colour];
    }
    p.hash_key = compute_hash_key(p);
    p.pawn_key = compute_pawn_key(p);
}
