#include "board/t_move_basics.h"

#include "board/attacks.h"
#include "board/keys.h"
#include "board/move_basics_fault.h"
#include "common/pieces.h"

namespace {

// Rights that survive a move touching each square: a piece leaving or landing on a king's or
// rook's home square ends the rights that need it there.
constexpr auto CASTLE_KEEP = [] {
    std::array<int, 64> keep{};
    keep.fill(WKC | WQC | BKC | BQC);
    keep[0] &= ~WQC;
    keep[7] &= ~WKC;
    keep[4] &= ~(WKC | WQC);
    keep[56] &= ~BQC;
    keep[63] &= ~BKC;
    keep[60] &= ~(BKC | BQC);
    return keep;
}();

// Toggles the squares in `b0` (normal orientation; the rotated bits are given alongside) for
// `piece` in every view. The mask tables keep this free of branches on the piece.
inline void toggle_views(Position& p, int piece, Bitboard b0, Bitboard b90, Bitboard ba,
                         Bitboard bh) {
    int colour = colour_of(piece);
    p.pieces[piece] ^= b0;
    p.pieces[colour] ^= b0;
    p.rooks_queens[colour] ^= b0 & ROOK_LIKE_MASK[piece];
    p.bishops_queens[colour] ^= b0 & BISHOP_LIKE_MASK[piece];
    p.all_pieces ^= b0;
    p.rot_90 ^= b90;
    p.a1h8_diag ^= ba;
    p.h1a8_diag ^= bh;
    p.rot0_x ^= b0 & NOT_ROOK_LIKE_MASK[piece];
    p.rot90_x ^= b90 & NOT_ROOK_LIKE_MASK[piece];
    p.a1h8_x ^= ba & NOT_BISHOP_LIKE_MASK[piece];
    p.h1a8_x ^= bh & NOT_BISHOP_LIKE_MASK[piece];
    Bitboard pawn = PAWN_MASK[piece];
    p.all_pawns ^= b0 & pawn;
    p.rot0_p ^= b0 & pawn;
    p.rot90_p ^= b90 & pawn;
    p.a1h8_p ^= ba & pawn;
    p.h1a8_p ^= bh & pawn;
}

inline void toggle_square(Position& p, int piece, Square s) {
    toggle_views(p, piece, tables.square_bits[s][0], tables.square_bits[s][1],
                 tables.square_bits[s][2], tables.square_bits[s][3]);
}

inline void toggle_two(Position& p, int piece, Square a, Square b) {
    toggle_views(p, piece, tables.square_bits[a][0] | tables.square_bits[b][0],
                 tables.square_bits[a][1] | tables.square_bits[b][1],
                 tables.square_bits[a][2] | tables.square_bits[b][2],
                 tables.square_bits[a][3] | tables.square_bits[b][3]);
}

// Counters and material for a piece of code `piece` entering (sign +1) or leaving (-1).
inline void count_piece(Position& p, int piece, int sign) {
    int colour = colour_of(piece);
    p.pawn_count[colour] += sign * IS_PAWN[piece];
    p.minor_count[colour] += sign * IS_MINOR[piece];
    p.major_count[colour] += sign * IS_MAJOR[piece];
    p.piece_count[colour] += sign * (IS_MINOR[piece] + IS_MAJOR[piece]);
    p.mat_balance += sign * piece_value[piece];
}

inline void relocate(Position& p, int piece, Square from, Square to) {
    uint64_t k = piece_key(from, piece) ^ piece_key(to, piece);
    p.hash_key ^= k;
    p.pawn_key ^= k & PAWN_MASK[piece];
    toggle_two(p, piece, from, to);
    p.board[from] = EMPTY;
    p.board[to] = piece;
    p.king_sq[KING_SLOT[piece]] = to;
}

// Kept out of line (like the pawn extras) so the common quiet move stays small and unspilled.
[[gnu::noinline]] void remove_captured(Position& p, int captured, Square s) {
    uint64_t k = piece_key(s, captured);
    p.hash_key ^= k;
    p.pawn_key ^= k & PAWN_MASK[captured];
    toggle_square(p, captured, s);
    count_piece(p, captured, -1);
}

// The rook's part of a castling move, by the king's destination.
inline void castle_rook_squares(Square king_to, Square& rook_from, Square& rook_to) {
    bool king_side = file_of(king_to) == 6;
    rook_from = king_to + (king_side ? 1 : -2);
    rook_to = king_to + (king_side ? -1 : 1);
}

[[gnu::noinline]] void make_pawn_extras(Position& p, Move move, Square from, Square to, int piece) {
    p.half_moves = 0;
    int colour = colour_of(piece);
    if (to - from == 16 || from - to == 16) {
        Square passed = (from + to) / 2;
        if (pawn_attackers_mask(passed, colour ^ 1) & p.pieces[piece_of(PAWN, colour ^ 1)]) {
            p.ep_square = passed;
            p.hash_key ^= ep_key(passed);
        }
        return;
    }
    if (is_en_passant(move)) {
        Square victim_sq = colour == WHITE ? to - 8 : to + 8;
        int victim = piece_of(PAWN, colour ^ 1);
        remove_captured(p, victim, victim_sq);
        p.board[victim_sq] = EMPTY;
        return;
    }
    int promotion = move_promotion(move);
    if (promotion) {
        p.hash_key ^= piece_key(to, piece) ^ piece_key(to, promotion);
        p.pawn_key ^= piece_key(to, piece);
        toggle_square(p, piece, to);
        toggle_square(p, promotion, to);
        count_piece(p, piece, -1);
        count_piece(p, promotion, +1);
        p.board[to] = promotion;
    }
}

}  // namespace

void make_move(Position& p, Move move) {
    HistoryEntry& h = p.history[++p.hist_top];
    h.move = move;
    h.ep_square = p.ep_square;
    h.half_moves = p.half_moves;
    h.castle_flags = p.castle_flags;
    h.hash_key = p.hash_key;
    h.pawn_key = p.pawn_key;
    if (move == SKIP_MOVE) return;

    p.turn ^= 1;
    p.hash_key = ~p.hash_key;
    if (p.ep_square) {
        p.hash_key ^= ep_key(p.ep_square);
        p.ep_square = 0;
    }
    if (move == NULL_MOVE) {
        p.half_moves = 0;
        return;
    }
    p.half_moves++;

    Square from = move_from(move), to = move_to(move);
    int piece = move_piece(move), captured = move_captured(move);
    relocate(p, piece, from, to);
    if (captured) {
        if (type_of(captured) == KING) report_king_capture(p, move);
        p.half_moves = 0;
        remove_captured(p, captured, to);
    }
    int flags = p.castle_flags & CASTLE_KEEP[from] & CASTLE_KEEP[to];
    p.hash_key ^= castle_keys[p.castle_flags ^ flags];
    p.castle_flags = flags;

    if (type_of(piece) == PAWN) {
        make_pawn_extras(p, move, from, to, piece);
    } else if (type_of(piece) == KING && (to - from == 2 || from - to == 2)) {
        Square rook_from, rook_to;
        castle_rook_squares(to, rook_from, rook_to);
        relocate(p, piece_of(ROOK, colour_of(piece)), rook_from, rook_to);
    }
}

uint64_t hash_key_after(const Position& p, Move move) {
    if (move == SKIP_MOVE) return p.hash_key;
    uint64_t key = ~p.hash_key;
    if (p.ep_square) key ^= ep_key(p.ep_square);
    if (move == NULL_MOVE) return key;
    Square from = move_from(move), to = move_to(move);
    int piece = move_piece(move), captured = move_captured(move), promotion = move_promotion(move);
    key ^= piece_key(from, piece) ^ piece_key(to, promotion ? promotion : piece) ^ piece_key(to, captured);
    key ^= castle_keys[p.castle_flags ^ (p.castle_flags & CASTLE_KEEP[from] & CASTLE_KEEP[to])];
    int colour = colour_of(piece);
    if (type_of(piece) == PAWN) {
        if (to - from == 16 || from - to == 16) {
            Square passed = (from + to) / 2;
            if (pawn_attackers_mask(passed, colour ^ 1) & p.pieces[piece_of(PAWN, colour ^ 1)])
                key ^= ep_key(passed);
        } else if (is_en_passant(move)) {
            key ^= piece_key(colour == WHITE ? to - 8 : to + 8, piece_of(PAWN, colour ^ 1));
        }
    } else if (type_of(piece) == KING && (to - from == 2 || from - to == 2)) {
        Square rook_from, rook_to;
        castle_rook_squares(to, rook_from, rook_to);
        key ^= piece_key(rook_from, piece_of(ROOK, colour)) ^ piece_key(rook_to, piece_of(ROOK, colour));
    }
    return key;
}

void unmake_move(Position& p) {
    const HistoryEntry& h = p.history[p.hist_top--];
    p.ep_square = h.ep_square;
    p.half_moves = h.half_moves;
    p.castle_flags = h.castle_flags;
    p.hash_key = h.hash_key;
    p.pawn_key = h.pawn_key;
    Move move = h.move;
    if (move == SKIP_MOVE) return;
    p.turn ^= 1;
    if (move == NULL_MOVE) return;

    Square from = move_from(move), to = move_to(move);
    int piece = move_piece(move), captured = move_captured(move), promotion = move_promotion(move);
    int colour = colour_of(piece);
    if (promotion) {
        toggle_square(p, promotion, to);
        toggle_square(p, piece, to);
        count_piece(p, promotion, -1);
        count_piece(p, piece, +1);
    }
    toggle_two(p, piece, from, to);
    p.board[from] = piece;
    p.board[to] = captured;
    p.king_sq[KING_SLOT[piece]] = from;

    if (captured) {
        toggle_square(p, captured, to);
        count_piece(p, captured, +1);
    } else if (type_of(piece) == PAWN && file_of(from) != file_of(to)) {
        Square victim_sq = colour == WHITE ? to - 8 : to + 8;
        int victim = piece_of(PAWN, colour ^ 1);
        toggle_square(p, victim, victim_sq);
        count_piece(p, victim, +1);
        p.board[victim_sq] = victim;
    } else if (type_of(piece) == KING && (to - from == 2 || from - to == 2)) {
        Square rook_from, rook_to;
        castle_rook_squares(to, rook_from, rook_to);
        int rook = piece_of(ROOK, colour);
        toggle_two(p, rook, rook_from, rook_to);
        p.board[rook_to] = EMPTY;
        p.board[rook_from] = rook;
    }
}
