#include "board/dump.h"

#include <cstdio>

#include "common/pieces.h"

namespace {

struct LabelledBitboard {
    const char* label;
    Bitboard Position::*field;
};

constexpr LabelledBitboard OCCUPANCY_VIEWS[] = {
    {"\nall_pieces:\n", &Position::all_pieces}, {"\nrot_90:\n", &Position::rot_90},
    {"\nh1a8_diag:\n", &Position::h1a8_diag},   {"\na1h8_diag:\n", &Position::a1h8_diag},
    {"\nrot0_x:\n", &Position::rot0_x},         {"\nrot90_x:\n", &Position::rot90_x},
    {"\na1h8_x:\n", &Position::a1h8_x},         {"\nh1a8_x:\n", &Position::h1a8_x},
};

struct LabelledPieceSet {
    const char* label;
    int code;
};

constexpr LabelledPieceSet PIECE_SETS[] = {
    {"\npieces[WHITE]:\n", WHITE},     {"\npieces[BLACK]:\n", BLACK},
    {"\npieces[WPAWN]:\n", WPAWN},     {"\npieces[BPAWN]:\n", BPAWN},
    {"\npieces[WKNIGHT]:\n", WKNIGHT}, {"\npieces[BKNIGHT]:\n", BKNIGHT},
    {"\npieces[WBISHOP]:\n", WBISHOP}, {"\npieces[BBISHOP]:\n", BBISHOP},
    {"\npieces[WROOK]:\n", WROOK},     {"\npieces[BROOK]:\n", BROOK},
    {"\npieces[WQUEEN]:\n", WQUEEN},   {"\npieces[BQUEEN]:\n", BQUEEN},
    {"\npieces[WKING]:\n", WKING},     {"\npieces[BKING]:\n", BKING},
};

int write_labelled(char* buffer, const char* label, Bitboard b) {
    int n = std::sprintf(buffer, "%s", label);
    return n + dump_bitboard(buffer + n, b);
}

}  // namespace

int dump_bitboard(char* buffer, Bitboard b) {
    int n = 0;
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) buffer[n++] = (b & square_bit(square_at(file, rank))) ? '1' : '0';
        buffer[n++] = '\n';
    }
    buffer[n] = '\0';
    return n;
}

int dump_position(char* buffer, const Position& p, bool full) {
    int n = 0;
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) {
            buffer[n++] = piece_letter(p.board[square_at(file, rank)]);
            buffer[n++] = ' ';
        }
        buffer[n++] = '\n';
    }
    int flags = p.castle_flags;
    n += std::sprintf(buffer + n, "\nWQC:%d WKC:%d BQC:%d BKC:%d Turn:%s EP:%d\n",
                      (flags & WQC) != 0, (flags & WKC) != 0, (flags & BQC) != 0, (flags & BKC) != 0,
                      p.turn == WHITE ? "WHITE" : "BLACK", p.ep_square);
    n += std::sprintf(buffer + n, "MB: %5d WPC: %d BPC: %d HM:%d HKL:%X HKH:%X\n", p.mat_balance,
                      p.piece_count[WHITE], p.piece_count[BLACK], p.half_moves,
                      unsigned(p.hash_key & 0xFFFFFFFFu), unsigned(p.hash_key >> 32));
    if (!full) return n;
    for (const LabelledBitboard& view : OCCUPANCY_VIEWS) n += write_labelled(buffer + n, view.label, p.*view.field);
    // No rot0_xm view is kept; its label stands alone where readers of the dump expect it.
    n += std::sprintf(buffer + n, "\nrot0_xm:\n");
    for (const LabelledPieceSet& set : PIECE_SETS) n += write_labelled(buffer + n, set.label, p.pieces[set.code]);
    return n;
}
