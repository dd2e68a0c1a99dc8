#include "board/notation.h"

#include <atomic>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/t_move_basics.h"
#include "common/log.h"
#include "common/pieces.h"
#include "common/settings.h"

namespace {

bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_rank(char c) { return c >= '1' && c <= '8'; }

const char* skip_blanks(const char* s) {
    while (*s && std::isspace(static_cast<unsigned char>(*s))) ++s;
    return s;
}

// Piece type of an upper-case SAN letter (R, N, B, Q, K), or 0.
int piece_type_of_letter(char c) {
    switch (c) {
        case 'N': return KNIGHT;
        case 'B': return BISHOP;
        case 'R': return ROOK;
        case 'Q': return QUEEN;
        case 'K': return KING;
        default: return 0;
    }
}

// Square 0 stands for "no en-passant square", so it never matches.
bool is_ep_target(const Position& p, Square s) { return p.ep_square != 0 && s == p.ep_square; }

char upper_letter(int piece) { return PIECE_LETTERS[piece | WHITE]; }
char lower_letter(int piece) { return PIECE_LETTERS[piece & ~WHITE]; }

// The pieces of code `piece` that reach `to` in `p`, pins aside; the king always counts.
Bitboard reaching(const Position& p, int piece, Square to) {
    Bitboard own = p.pieces[piece];
    switch (type_of(piece)) {
        case PAWN: return pawn_attackers_mask(to, colour_of(piece)) & own;
        case KNIGHT: return tables.knight_attacks[to] & own;
        case BISHOP: return bishop_attacks(p, to) & own;
        case ROOK: return rook_attacks(p, to) & own;
        case QUEEN: return queen_attacks(p, to) & own;
        default: return own;
    }
}

// Takes the only candidate, or the first in square order that does not leave its own king in
// check. A move onto an own piece or a king is nobody's move.
int choose_candidate(Position& p, Bitboard candidates, Square to, int piece, int promotion,
                     Move& move) {
    int target = p.board[to];
    bool blocked = target != EMPTY && (colour_of(target) == colour_of(piece) || type_of(target) == KING);
    if (!candidates || blocked) return PARSE_NO_PIECE;
    if (popcount(candidates) == 1) {
        move = make_move_value(lowest_square(candidates), to, piece, target, promotion);
        return PARSE_OK;
    }
    if (p.hist_top + 1 >= HISTORY_SIZE) return PARSE_NO_PIECE;
    // Trials overwrite the free history slot above the top; it is put back so that `p` is
    // unchanged bit for bit.
    const HistoryEntry spare = p.history[p.hist_top + 1];
    int code = PARSE_NO_PIECE;
    while (candidates && code != PARSE_OK) {
        Move trial = make_move_value(pop_lowest(candidates), to, piece, target, promotion);
        make_move(p, trial);
        if (!attacked(p, p.king_sq[colour_of(piece)], p.turn)) {
            move = trial;
            code = PARSE_OK;
        }
        unmake_move(p);
    }
    p.history[p.hist_top + 1] = spare;
    return code;
}

// "=N", "=B", "=R" or "=Q" after a pawn move; nothing is fine too.
int read_promotion(const Position& p, const char*& s, int& promotion) {
    promotion = EMPTY;
    if (*s != '=') return PARSE_OK;
    int type = piece_type_of_letter(s[1]);
    if (type < KNIGHT || type > QUEEN) return PARSE_SYNTAX;
    promotion = piece_of(type, p.turn);
    s += 2;
    return PARSE_OK;
}

// A square, an optional "-" or "x", a square: e2e4 and the long form e2-e4 the engine prints.
int coordinate_gap(const char* s) {
    if (!is_file(s[0]) || !is_rank(s[1])) return -1;
    int gap = s[2] == '-' || s[2] == 'x' ? 1 : 0;
    return is_file(s[2 + gap]) && is_rank(s[3 + gap]) ? gap : -1;
}

// e2e4, e7e8q (either case); e5xd6, e7-e8=Q.
int read_coordinate(const Position& p, const char*& s, int gap, Move& move) {
    Square from = square_from_text(s), to = square_from_text(s + 2 + gap);
    int piece = p.board[from];
    if (piece == EMPTY) return PARSE_NO_PIECE;
    s += 4 + gap;
    int promotion = EMPTY;
    int type = piece_type_of_letter(char(std::toupper(static_cast<unsigned char>(*s))));
    if (type >= KNIGHT && type <= QUEEN) {
        promotion = piece_of(type, p.turn);
        ++s;
    } else if (read_promotion(p, s, promotion) != PARSE_OK) {
        return PARSE_SYNTAX;
    }
    move = make_move_value(from, to, piece, p.board[to], promotion);
    return PARSE_OK;
}

bool read_castling(const Position& p, const char*& s, Move& move) {
    static constexpr const char* LONG_FORMS[] = {"0-0-0", "O-O-O", "o-o-o"};
    static constexpr const char* SHORT_FORMS[] = {"0-0", "O-O", "o-o"};
    for (const char* form : LONG_FORMS)
        if (std::strncmp(s, form, 5) == 0) {
            move = p.turn == WHITE ? CASTLE_WQ : CASTLE_BQ;
            s += 5;
            return true;
        }
    for (const char* form : SHORT_FORMS)
        if (std::strncmp(s, form, 3) == 0) {
            move = p.turn == WHITE ? CASTLE_WK : CASTLE_BK;
            s += 3;
            return true;
        }
    return false;
}

// e4: the pawn one square behind, or two behind across an empty square on its start rank.
int read_pawn_push(Position& p, const char*& s, Move& move) {
    Square to = square_from_text(s);
    s += 2;
    int promotion;
    if (read_promotion(p, s, promotion) != PARSE_OK) return PARSE_SYNTAX;
    int pawn = piece_of(PAWN, p.turn);
    int forward = p.turn == WHITE ? 8 : -8;
    Square from = to - forward;
    if (from < 0 || from > 63 || p.board[to] != EMPTY) return PARSE_NO_PIECE;
    if (p.board[from] != pawn) {
        bool double_step = rank_of(to) == (p.turn == WHITE ? 3 : 4) && p.board[from] == EMPTY &&
                           p.board[from - forward] == pawn;
        if (!double_step) return PARSE_NO_PIECE;
        from -= forward;
    }
    move = make_move_value(from, to, pawn, EMPTY, promotion);
    return PARSE_OK;
}

// "ed": the lowest own pawn on the first file that can take a pawn (or en passant) on the
// second file.
int read_file_capture(const Position& p, int from_file, int to_file, int promotion, Move& move) {
    int pawn = piece_of(PAWN, p.turn);
    int forward = p.turn == WHITE ? 8 : -8;
    if (to_file - from_file != 1 && from_file - to_file != 1) return PARSE_NO_PIECE;
    for (int rank = 1; rank <= 6; ++rank) {
        Square from = square_at(from_file, rank), to = from + forward + to_file - from_file;
        if (p.board[from] != pawn) continue;
        int target = p.board[to];
        if (target == piece_of(PAWN, p.turn ^ 1) || (target == EMPTY && is_ep_target(p, to))) {
            move = make_move_value(from, to, pawn, target, promotion);
            return PARSE_OK;
        }
    }
    return PARSE_NO_PIECE;
}

int read_pawn_move(Position& p, const char*& s, Move& move) {
    if (is_rank(s[1])) return read_pawn_push(p, s, move);
    int from_file = *s++ - 'a';
    bool takes = *s == 'x';
    if (takes) ++s;
    if (!is_file(*s)) return PARSE_SYNTAX;
    int to_file = *s - 'a';
    int promotion;
    if (!is_rank(s[1])) {
        if (takes) return PARSE_SYNTAX;
        ++s;
        if (read_promotion(p, s, promotion) != PARSE_OK) return PARSE_SYNTAX;
        return read_file_capture(p, from_file, to_file, promotion, move);
    }
    Square to = square_from_text(s);
    s += 2;
    if (read_promotion(p, s, promotion) != PARSE_OK) return PARSE_SYNTAX;
    // A pawn only goes diagonally to take something.
    if (p.board[to] == EMPTY && !is_ep_target(p, to)) return PARSE_NO_PIECE;
    int pawn = piece_of(PAWN, p.turn);
    return choose_candidate(p, reaching(p, pawn, to) & file_mask(from_file), to, pawn, promotion,
                            move);
}

// Letter, optional from-file and from-rank, optional "x" (or "-" of the long form), to-square.
// Without a to-square the file and rank read are the to-square (Nf3).
int read_piece_move(Position& p, const char*& s, Move& move) {
    int type = piece_type_of_letter(*s);
    if (!type) return PARSE_SYNTAX;
    ++s;
    int file = -1, rank = -1;
    if (is_file(*s)) file = *s++ - 'a';
    if (is_rank(*s)) rank = *s++ - '1';
    bool separated = *s == 'x' || *s == '-';
    if (separated) ++s;
    Square to;
    if (is_file(s[0]) && is_rank(s[1])) {
        to = square_from_text(s);
        s += 2;
    } else if (!separated && file >= 0 && rank >= 0) {
        to = square_at(file, rank);
        file = rank = -1;
    } else {
        return PARSE_SYNTAX;
    }
    if (*s == '=') return PARSE_SYNTAX;
    int piece = piece_of(type, p.turn);
    Bitboard candidates = reaching(p, piece, to);
    if (file >= 0) candidates &= file_mask(file);
    if (rank >= 0) candidates &= rank_mask(rank);
    return choose_candidate(p, candidates, to, piece, EMPTY, move);
}

int read_move(Position& p, const char*& s, Move& move) {
    int gap = coordinate_gap(s);
    if (gap >= 0) return read_coordinate(p, s, gap, move);
    if (read_castling(p, s, move)) return PARSE_OK;
    if (is_file(*s)) return read_pawn_move(p, s, move);
    return read_piece_move(p, s, move);
}

int write_square(char* buffer, Square s) {
    buffer[0] = char('a' + file_of(s));
    buffer[1] = char('1' + rank_of(s));
    return 2;
}

int write_text(char* buffer, const char* text) {
    std::strcpy(buffer, text);
    return int(std::strlen(text));
}

// Long algebraic: Ng1-f3, e5xd6, e7-e8=Q.
int write_long(char* buffer, Move move) {
    int n = 0, piece = move_piece(move);
    if (type_of(piece) != PAWN) buffer[n++] = upper_letter(piece);
    n += write_square(buffer + n, move_from(move));
    buffer[n++] = is_capture(move) ? 'x' : '-';
    n += write_square(buffer + n, move_to(move));
    if (move_promotion(move)) {
        buffer[n++] = '=';
        buffer[n++] = upper_letter(move_promotion(move));
    }
    buffer[n] = '\0';
    return n;
}

int write_coordinate(char* buffer, Move move) {
    int n = write_square(buffer, move_from(move));
    n += write_square(buffer + n, move_to(move));
    if (move_promotion(move)) buffer[n++] = lower_letter(move_promotion(move));
    buffer[n] = '\0';
    return n;
}

int write_san(char* buffer, const Position& p, Move move) {
    if (is_castling(move)) return write_text(buffer, file_of(move_to(move)) == 6 ? "O-O" : "O-O-O");
    Square from = move_from(move), to = move_to(move);
    int piece = move_piece(move);
    int n = 0;
    if (type_of(piece) == PAWN) {
        if (is_capture(move)) {
            buffer[n++] = char('a' + file_of(from));
            buffer[n++] = 'x';
        }
    } else {
        buffer[n++] = upper_letter(piece);
        // Other pieces of the kind that reach the square, pins aside.
        Bitboard others = reaching(p, piece, to) & ~square_bit(from);
        bool shares_rank = (others & rank_mask(rank_of(from))) != 0;
        bool shares_file = (others & file_mask(file_of(from))) != 0;
        if (shares_rank || (others && !shares_file)) buffer[n++] = char('a' + file_of(from));
        if (shares_file) buffer[n++] = char('1' + rank_of(from));
        if (is_capture(move)) buffer[n++] = 'x';
    }
    n += write_square(buffer + n, to);
    if (move_promotion(move)) {
        buffer[n++] = '=';
        buffer[n++] = upper_letter(move_promotion(move));
    }
    buffer[n] = '\0';
    return n;
}

// Types 1 and 2 need no position.
int write_without_position(char* buffer, Move move, int type) {
    if (move == NULL_MOVE) return write_text(buffer, type == MTT_COORD ? "0000" : "NULL");
    if (move == SKIP_MOVE) return write_text(buffer, "SKIP");
    return type == MTT_COORD ? write_coordinate(buffer, move) : write_long(buffer, move);
}

}  // namespace

Square square_from_text(const char* text) {
    if (!is_file(text[0]) || !is_rank(text[1])) return -1;
    return square_at(text[0] - 'a', text[1] - '1');
}

int parse_move(Position& p, const char* text, int* consumed, Move* move_out) {
    const char* s = skip_blanks(text);
    if (*s == '\0') return PARSE_END;
    Move move = NULL_MOVE;
    int code = read_move(p, s, move);
    if (code != PARSE_OK) return code;
    if (*s == '+' || *s == '#') ++s;
    if (consumed) *consumed = int(s - text);
    if (move_out) *move_out = move;
    return PARSE_OK;
}

int m_sprint(char* buffer, const Position& p, Move move, int type) {
    if (type != MTT_SAN && type != MTT_LONG && type != MTT_COORD) {
        log_fatal(1, "Bad MTT in m_sprint(): %d\n", type);
        return 0;
    }
    move &= MOVE_IDENTITY_MASK;
    if (type == MTT_SAN && move != NULL_MOVE && move != SKIP_MOVE) return write_san(buffer, p, move);
    return write_without_position(buffer, move, type);
}

const char* move_text(Move move) {
    static char buffers[8][8];
    static std::atomic<unsigned> next{0};
    char* buffer = buffers[next.fetch_add(1, std::memory_order_relaxed) & 7];
    write_without_position(buffer, move & MOVE_IDENTITY_MASK, MTT_LONG);
    return buffer;
}

int write_move_list(char* buffer, const Position& start, const Move* moves, int count, int type,
                    bool numbered) {
    // SAN needs the position before each move. Nothing is taken back, so the copy skips the
    // history and every move reuses the first free slot.
    Position p;
    if (type == MTT_SAN) std::memcpy(&p, &start, offsetof(Position, history) + sizeof(HistoryEntry));
    int n = 0, number = 1;
    bool first = true;
    for (int i = 0; i < count; ++i) {
        Move marked = moves[i], move = marked & MOVE_IDENTITY_MASK;
        int side = start.turn ^ (i & 1);
        if (move != SKIP_MOVE) {
            if (numbered && side == WHITE) n += std::sprintf(buffer + n, "%d. ", number);
            else if (numbered && first) n += std::sprintf(buffer + n, "%d... ", number);
            first = false;
            n += m_sprint(buffer + n, p, move, type);
            if (type != MTT_COORD && print_singular_moves) {
                if (marked & MOVE_SINGULAR_MARK) buffer[n++] = '!';
                if ((marked & MOVE_MATE_MARK) && enable_mate_extension) n += write_text(buffer + n, "[M]");
            }
            buffer[n++] = ' ';
            if (type == MTT_SAN) {
                p.hist_top = 0;
                make_move(p, move);
            }
        }
        if (side == BLACK) ++number;
    }
    buffer[n] = '\0';
    return n;
}
