#include "board/fen.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/notation.h"
#include "common/pieces.h"

namespace {

constexpr int FEN_BUFFER_SIZE = 100;
// Counters beyond this are no game's counts; refusing them keeps the arithmetic in range.
constexpr int MAX_COUNTER = 1000000;

const char* skip_blanks(const char* s) {
    while (*s && std::isspace(static_cast<unsigned char>(*s))) ++s;
    return s;
}

bool at_field_end(const char* s) { return *s == '\0' || std::isspace(static_cast<unsigned char>(*s)); }

int piece_from_letter(char c) {
    for (int code = BPAWN; code <= WKING; ++code)
        if (PIECE_LETTERS[code] == c) return code;
    return EMPTY;
}

// Ranks 8 to 1, files a to h, into p.board; stops after h1 or at the first fault.
int read_board(Position& p, const char*& s) {
    std::memset(p.board, 0, sizeof p.board);
    int rank = 7, file = 0;
    while (!(rank == 0 && file == 8)) {
        char c = *s;
        if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return PARSE_BAD_BOARD;
        } else if (c == '/') {
            if (file != 8) return PARSE_BAD_BOARD;
            --rank;
            file = 0;
        } else {
            int piece = piece_from_letter(c);  // the terminator is no piece either
            if (piece == EMPTY || file == 8) return PARSE_BAD_BOARD;
            p.board[square_at(file++, rank)] = piece;
        }
        ++s;
    }
    return at_field_end(s) ? PARSE_OK : PARSE_BAD_BOARD;
}

// Exactly one king and at most 8 pawns a side, no pawn on the first or last rank.
bool possible_board(const Position& p) {
    for (int colour = BLACK; colour <= WHITE; ++colour)
        if (popcount(p.pieces[piece_of(KING, colour)]) != 1 || p.pawn_count[colour] > 8)
            return false;
    return (p.all_pawns & (RANK_1 | RANK_8)) == 0;
}

int read_side(Position& p, const char*& s) {
    s = skip_blanks(s);
    if (*s == '\0') return PARSE_END;
    if ((*s != 'w' && *s != 'b') || !at_field_end(s + 1)) return PARSE_BAD_SIDE_OR_EP;
    p.turn = *s++ == 'w' ? WHITE : BLACK;
    return attacked(p, p.king_sq[p.turn ^ 1], p.turn) ? PARSE_BAD_BOARD : PARSE_OK;
}

// A missing field keeps the start position's rights; either way only rights whose king and rook
// stand at home survive.
int read_castling(Position& p, const char*& s) {
    s = skip_blanks(s);
    if (*s) {
        const char* field = s;
        p.castle_flags = 0;
        if (*s == '-') ++s;
        for (;; ++s) {
            if (*s == 'K') p.castle_flags |= WKC;
            else if (*s == 'Q') p.castle_flags |= WQC;
            else if (*s == 'k') p.castle_flags |= BKC;
            else if (*s == 'q') p.castle_flags |= BQC;
            else break;
        }
        if (s == field || !at_field_end(s)) return PARSE_SYNTAX;
    }
    if (p.board[4] != WKING) p.castle_flags &= ~(WKC | WQC);
    if (p.board[0] != WROOK) p.castle_flags &= ~WQC;
    if (p.board[7] != WROOK) p.castle_flags &= ~WKC;
    if (p.board[60] != BKING) p.castle_flags &= ~(BKC | BQC);
    if (p.board[56] != BROOK) p.castle_flags &= ~BQC;
    if (p.board[63] != BROOK) p.castle_flags &= ~BKC;
    return PARSE_OK;
}

// Whether `ep` could follow a double step of the side not to move: that pawn stands in front of
// it, the squares it crossed are empty, and a pawn of the side to move attacks it. Anything else
// would let make_move take a piece that is not there.
bool usable_ep_square(const Position& p, Square ep) {
    int mover = p.turn, pusher = mover ^ 1;
    int forward = pusher == WHITE ? 8 : -8;
    if (rank_of(ep) != (pusher == WHITE ? 2 : 5)) return false;
    return p.board[ep + forward] == piece_of(PAWN, pusher) && p.board[ep] == EMPTY &&
           p.board[ep - forward] == EMPTY &&
           (pawn_attackers_mask(ep, mover) & p.pieces[piece_of(PAWN, mover)]) != 0;
}

int read_ep(Position& p, const char*& s) {
    s = skip_blanks(s);
    if (*s == '\0') return PARSE_OK;
    if (*s == '-') {
        ++s;
    } else {
        Square ep = square_from_text(s);
        if (ep < 0 || (rank_of(ep) != 2 && rank_of(ep) != 5)) return PARSE_BAD_SIDE_OR_EP;
        s += 2;
        if (usable_ep_square(p, ep)) p.ep_square = ep;
    }
    return at_field_end(s) ? PARSE_OK : PARSE_BAD_SIDE_OR_EP;
}

// An optional counter; false when it is too large.
bool read_counter(const char*& s, int& value) {
    const char* t = skip_blanks(s);
    if (!std::isdigit(static_cast<unsigned char>(*t))) return true;
    int n = 0;
    for (; std::isdigit(static_cast<unsigned char>(*t)); ++t) {
        n = n * 10 + (*t - '0');
        if (n > MAX_COUNTER) return false;
    }
    value = n;
    s = t;
    return true;
}

int read_counters(Position& p, const char*& s) {
    int full_moves = 1;
    if (!read_counter(s, p.half_moves) || !read_counter(s, full_moves)) return PARSE_SYNTAX;
    if (full_moves < 1) full_moves = 1;
    p.move_number = 2 * (full_moves - 1) + (p.turn == BLACK ? 1 : 0);
    return PARSE_OK;
}

// The moves of a "bm" field, read until one fails or the array is full.
int read_best_moves(Position& p, const char*& s, Move* moves) {
    const char* t = skip_blanks(s);
    if (std::strncmp(t, "bm", 2) != 0 || !at_field_end(t + 2)) return 0;
    s = t + 2;
    int count = 0;
    int used = 0;
    while (count < MAX_BM_MOVES && parse_move(p, s, &used, &moves[count]) == PARSE_OK) {
        s += used;
        ++count;
    }
    return count;
}

}  // namespace

int read_fen(Position& p, const char* text, int* consumed, Move* bm_moves, int* bm_count) {
    reset_position(p);
    const char* s = skip_blanks(text);
    if (*s == '\0') return PARSE_END;
    int code = read_board(p, s);
    if (code != PARSE_OK) return code;
    setup_from_board(p);
    if (!possible_board(p)) return PARSE_BAD_BOARD;
    if ((code = read_side(p, s)) != PARSE_OK) return code;
    if ((code = read_castling(p, s)) != PARSE_OK) return code;
    if ((code = read_ep(p, s)) != PARSE_OK) return code;
    if ((code = read_counters(p, s)) != PARSE_OK) return code;
    setup_from_board(p);
    int count = bm_moves ? read_best_moves(p, s, bm_moves) : 0;
    if (bm_count) *bm_count = count;
    if (consumed) *consumed = int(s - text);
    return PARSE_OK;
}

int write_fen(char* buffer, const Position& p) {
    int n = 0;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            int piece = p.board[square_at(file, rank)];
            if (piece == EMPTY) {
                ++empty;
                continue;
            }
            if (empty) buffer[n++] = char('0' + empty);
            empty = 0;
            buffer[n++] = piece_letter(piece);
        }
        if (empty) buffer[n++] = char('0' + empty);
        if (rank) buffer[n++] = '/';
    }
    buffer[n++] = ' ';
    buffer[n++] = p.turn == WHITE ? 'w' : 'b';
    buffer[n++] = ' ';
    if (p.castle_flags & WKC) buffer[n++] = 'K';
    if (p.castle_flags & WQC) buffer[n++] = 'Q';
    if (p.castle_flags & BKC) buffer[n++] = 'k';
    if (p.castle_flags & BQC) buffer[n++] = 'q';
    if (!(p.castle_flags & (WKC | WQC | BKC | BQC))) buffer[n++] = '-';
    int full_moves = p.move_number / 2 + 1;
    int room = FEN_BUFFER_SIZE - n;
    int tail = p.ep_square
                   ? std::snprintf(buffer + n, room, " %c%d %d %d", 'a' + file_of(p.ep_square),
                                   rank_of(p.ep_square) + 1, p.half_moves, full_moves)
                   : std::snprintf(buffer + n, room, " - %d %d", p.half_moves, full_moves);
    return tail < room ? n + tail : FEN_BUFFER_SIZE - 1;
}
