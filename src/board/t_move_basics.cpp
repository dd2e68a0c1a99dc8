#include "board/t_move_basics.h"

#include <cstddef>
#include <cstring>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/move_basics_fault.h"
#include "common/pieces.h"

namespace {

// Rights that end when a move touches each square: a piece leaving or landing on a king's or
// rook's home square ends the rights that need it there.
constexpr auto CASTLE_ENDS = [] {
    std::array<int, 64> ends{};
    ends[0] = WQC;
    ends[7] = WKC;
    ends[4] = WKC | WQC;
    ends[56] = BQC;
    ends[63] = BKC;
    ends[60] = BKC | BQC;
    return ends;
}();

// Two orientations of a view in one SSE register: Position keeps the four orientations of each
// view side by side, so a toggle takes two vector XORs per view instead of four scalar ones.
typedef uint64_t Pair __attribute__((vector_size(16), may_alias));

// A square set in the four orientations, as `tables.square_bits` stores it.
struct Orientations {
    Pair rank_file, diagonals;
};

inline Orientations orientations_of(Square s) {
    const Pair* bits = reinterpret_cast<const Pair*>(tables.square_bits[s]);
    return {bits[0], bits[1]};
}

inline Pair* four_views(Bitboard& first) { return reinterpret_cast<Pair*>(&first); }

// Per piece code, every mask the toggle needs, in one line of 64 bytes: which of its bits go
// into the views without rooks and queens (rank and file orientations) or bishops and queens
// (diagonals), into the pawn views, and into its colour's sliders.
struct alignas(64) PieceMasks {
    Bitboard without_sliders[4];
    Bitboard pawns[2];
    Bitboard rook_like;
    Bitboard bishop_like;
};

constexpr auto PIECE_MASKS = [] {
    std::array<PieceMasks, 16> masks{};
    for (int c = 0; c < 16; ++c)
        masks[c] = {{NOT_ROOK_LIKE_MASK[c], NOT_ROOK_LIKE_MASK[c], NOT_BISHOP_LIKE_MASK[c],
                     NOT_BISHOP_LIKE_MASK[c]},
                    {PAWN_MASK[c], PAWN_MASK[c]},
                    ROOK_LIKE_MASK[c],
                    BISHOP_LIKE_MASK[c]};
    return masks;
}();

// Toggles the squares `b` for `piece` in every view. The mask tables keep this free of branches
// on the piece.
inline void toggle_views(Position& p, int piece, Orientations b) {
    const PieceMasks& m = PIECE_MASKS[piece];
    const Pair* without_sliders = reinterpret_cast<const Pair*>(m.without_sliders);
    Pair pawns = *reinterpret_cast<const Pair*>(m.pawns);
    Pair* occupied = four_views(p.all_pieces);
    occupied[0] ^= b.rank_file;
    occupied[1] ^= b.diagonals;
    Pair* occupied_x = four_views(p.rot0_x);
    occupied_x[0] ^= b.rank_file & without_sliders[0];
    occupied_x[1] ^= b.diagonals & without_sliders[1];
    Pair pawn_rank_file = b.rank_file & pawns;
    Pair* occupied_p = four_views(p.rot0_p);
    occupied_p[0] ^= pawn_rank_file;
    occupied_p[1] ^= b.diagonals & pawns;
    p.all_pawns ^= pawn_rank_file[0];

    Bitboard b0 = b.rank_file[0];
    int colour = colour_of(piece);
    p.pieces[piece] ^= b0;
    p.pieces[colour] ^= b0;
    p.rooks_queens[colour] ^= b0 & m.rook_like;
    p.bishops_queens[colour] ^= b0 & m.bishop_like;
}

inline void toggle_square(Position& p, int piece, Square s) {
    toggle_views(p, piece, orientations_of(s));
}

inline void toggle_two(Position& p, int piece, Square a, Square b) {
    Orientations oa = orientations_of(a), ob = orientations_of(b);
    toggle_views(p, piece, {oa.rank_file | ob.rank_file, oa.diagonals | ob.diagonals});
}

// Per piece code, what it adds to pawn_count, minor_count, major_count and piece_count, laid out
// as in Position, so that two vector additions update all eight counters.
typedef int32_t Counts __attribute__((vector_size(16)));

struct alignas(16) CountSteps {
    int32_t steps[8];
};

constexpr auto COUNT_STEPS = [] {
    std::array<CountSteps, 16> t{};
    for (int c = 0; c < 16; ++c) {
        int colour = colour_of(c);
        t[c].steps[0 + colour] = IS_PAWN[c];
        t[c].steps[2 + colour] = IS_MINOR[c];
        t[c].steps[4 + colour] = IS_MAJOR[c];
        t[c].steps[6 + colour] = IS_MINOR[c] + IS_MAJOR[c];
    }
    return t;
}();

// Counters and material for a piece of code `piece` entering (sign +1) or leaving (-1).
inline void count_piece(Position& p, int piece, int sign) {
    char* counters = reinterpret_cast<char*>(&p) + offsetof(Position, pawn_count);
    Counts steps[2], counts[2];
    std::memcpy(steps, COUNT_STEPS[piece].steps, sizeof steps);
    std::memcpy(counts, counters, sizeof counts);
    counts[0] += sign * steps[0];
    counts[1] += sign * steps[1];
    std::memcpy(counters, counts, sizeof counts);
    p.mat_balance += sign * piece_value[piece];
}

inline void relocate(Position& p, int piece, Square from, Square to) {
    uint64_t k = piece_key(from, piece) ^ piece_key(to, piece);
    p.hash_key ^= k;
    p.pawn_key ^= k & PIECE_MASKS[piece].pawns[0];
    toggle_two(p, piece, from, to);
    p.board[from] = EMPTY;
    p.board[to] = piece;
    p.king_sq[KING_SLOT[piece]] = to;
}

// The capture and promotion helpers stay out of line (like the pawn extras) so the common quiet
// move stays small and unspilled.
[[gnu::noinline]] void remove_captured(Position& p, int captured, Square s) {
    toggle_square(p, captured, s);
    count_piece(p, captured, -1);
}

[[gnu::noinline]] void put_back_captured(Position& p, int captured, Square s) {
    toggle_square(p, captured, s);
    count_piece(p, captured, +1);
}

// Replaces `old_piece` on `s` by `new_piece` in the views and counters (keys aside).
[[gnu::noinline]] void exchange_piece(Position& p, int old_piece, int new_piece, Square s) {
    toggle_square(p, old_piece, s);
    toggle_square(p, new_piece, s);
    count_piece(p, old_piece, -1);
    count_piece(p, new_piece, +1);
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
        uint64_t k = piece_key(victim_sq, victim);
        p.hash_key ^= k;
        p.pawn_key ^= k;
        remove_captured(p, victim, victim_sq);
        p.board[victim_sq] = EMPTY;
        return;
    }
    int promotion = move_promotion(move);
    if (promotion) {
        p.hash_key ^= piece_key(to, piece) ^ piece_key(to, promotion);
        p.pawn_key ^= piece_key(to, piece);
        exchange_piece(p, piece, promotion, to);
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
        // The keys change here, not out of line: relocate has just stored them one by one, and
        // the compiler would reload them as one vector there, which stalls.
        uint64_t k = piece_key(to, captured);
        p.hash_key ^= k;
        p.pawn_key ^= k & PAWN_MASK[captured];
        remove_captured(p, captured, to);
    }
    int ended = p.castle_flags & (CASTLE_ENDS[from] | CASTLE_ENDS[to]);
    if (ended) {
        p.hash_key ^= castle_keys[ended];
        p.castle_flags ^= ended;
    }

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
    key ^= castle_keys[p.castle_flags & (CASTLE_ENDS[from] | CASTLE_ENDS[to])];
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
    if (promotion) exchange_piece(p, promotion, piece, to);
    toggle_two(p, piece, from, to);
    p.board[from] = piece;
    p.board[to] = captured;
    p.king_sq[KING_SLOT[piece]] = from;

    if (captured) {
        put_back_captured(p, captured, to);
    } else if (type_of(piece) == PAWN && file_of(from) != file_of(to)) {
        Square victim_sq = colour == WHITE ? to - 8 : to + 8;
        int victim = piece_of(PAWN, colour ^ 1);
        put_back_captured(p, victim, victim_sq);
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
