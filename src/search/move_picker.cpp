// The staged move picker. Ordinary nodes: the hash move, captures by exchange value, quiet
// moves by threats, history and killers, then the quiet moves that lose material; in check all
// evasions at once. Quiescence nodes: good captures, then at the first quiescence ply quiet
// checks (or, on principal lines with deep PVS on, every safe quiet move).
#include "search/move_picker.h"

#include <algorithm>
#include <climits>

#include "board/attacks.h"
#include "board/t_move_basics.h"
#include "common/pieces.h"
#include "search/search_options.h"
#include "search/trans_table.h"

namespace {

constexpr int SEE_UNKNOWN = INT_MIN;
constexpr int FAR_AHEAD_MARGIN = 400;
// Stand-pat this close to alpha lets quiescence take every man and try quiet checks.
constexpr int QSEARCH_CLOSE_GAP = 200;
constexpr int REMAINING_UNKNOWN = 32;

bool same_move(Move a, Move b) { return ((a ^ b) & MOVE_IDENTITY_MASK) == 0; }

bool listed(const Move* list, int n, Move m) {
    for (int i = 0; i < n; ++i)
        if (same_move(list[i], m)) return true;
    return false;
}

// Already handed out, or placed among the captures as a root line's first move.
bool excluded(const MovePicker& pk, Move m) {
    return listed(pk.tried, pk.tried_count, m) || listed(pk.root_first, pk.root_first_count, m);
}

int mvv_lva(Move m) { return 16 * move_captured(m) - move_piece(m); }

// So far ahead near the leaves that the cheapest ordering of captures will do.
bool far_ahead(const PickerContext& ctx) {
    const Position& p = *ctx.position;
    int material = p.turn == WHITE ? p.mat_balance : -p.mat_balance;
    return ctx.depth <= 1 && material - FAR_AHEAD_MARGIN > ctx.beta;
}

// Captures and promotions; `see` is the move's exchange value when already known.
int capture_score(const Position& p, Move m, bool far, int see) {
    if (p.board[move_to(m)] == EMPTY) return SCORE_EMPTY_TARGET;
    if (far) return SCORE_FAR_AHEAD + mvv_lva(m);
    if (see == SEE_UNKNOWN) see = see_move(p, m);
    if (see > 0) return (see + SCORE_WINNING_BIAS) * 256 + mvv_lva(m);
    if (move_promotion(m) != EMPTY) return SCORE_PROMOTION;
    return (move_captured(m) < BQUEEN ? SCORE_EVEN_MINOR : SCORE_EVEN_QUEEN) + mvv_lva(m);
}

int cheapest_attacker_value(const Position& p, Bitboard set, int colour) {
    for (int type = PAWN; type <= KING; ++type)
        if (set & p.pieces[piece_of(type, colour)]) return piece_value_abs[piece_of(type, colour)];
    return 0;
}

// A piece is threatened when a cheaper enemy piece attacks it or when it hangs; moving it away
// meets the threat. Guarding moves are left to the history: marked as well, they escaped the
// reduction and came early so often that the engine played weaker. One pass over the
// opponent's pieces first, so that the scan looks closer only at the few pieces under attack.
void compute_threats(MovePicker& pk, const Position& p) {
    const int us = p.turn, them = us ^ 1;
    pk.their_reach = attacked_squares(p, them);
    Bitboard ours = p.pieces[us] & ~p.pieces[piece_of(KING, us)] & pk.their_reach;
    while (ours) {
        Square s = pop_lowest(ours);
        Bitboard by = attackers(p, s, them);
        if (!by) continue;
        bool cheaper = cheapest_attacker_value(p, by, them) < piece_value_abs[p.board[s]];
        if (!cheaper && attacked(p, s, us)) continue;
        pk.threat_from |= square_bit(s);
    }
}

bool meets_threat(const MovePicker& pk, Move m) { return pk.threat_from & square_bit(move_from(m)); }

// The inputs of quiet-move scoring that are the same for every move of the node.
struct QuietOrder {
    const KillerPair* killers[2];  // this ply, two plies up
    int killer_shift;
};

QuietOrder quiet_order(const PickerContext& ctx) {
    const int side = ctx.position->turn;
    // Shallow nodes have small counters of their own; their killers need the bigger lift.
    return {{killers_at(*ctx.history, ctx.ply, side), killers_at(*ctx.history, ctx.ply - 2, side)},
            ctx.depth < 6 ? 3 : 2};
}

bool is_killer(const QuietOrder& order, Move m) {
    for (const KillerPair* k : order.killers)
        if (k && (same_move(k->moves[0], m) || same_move(k->moves[1], m))) return true;
    return false;
}

// Pawn pushes to the sixth or seventh rank count more than their history says.
int bonus_level(Move m) {
    if (type_of(move_piece(m)) != PAWN) return 0;
    int rank = rank_of(move_to(m));
    int relative = colour_of(move_piece(m)) == WHITE ? rank : 7 - rank;
    return relative >= 5 ? 1 : 0;
}

int history_part(const PickerContext& ctx, const QuietOrder& order, Move m) {
    int64_t part = history_value(*ctx.history, ctx.ply, ctx.position->turn, m);
    part <<= 2 * bonus_level(m);
    if (is_killer(order, m)) part <<= order.killer_shift;
    return int(std::clamp<int64_t>(part, 0, HISTORY_SCORE_CAP));
}

int quiet_score(const MovePicker& pk, const PickerContext& ctx, const QuietOrder& order, Move m) {
    int base = meets_threat(pk, m) ? SCORE_MEETS_THREAT : SCORE_QUIET;
    return base + history_part(ctx, order, m);
}

// Scores the quiet moves of an ordinary node; those that lose material by exchange score
// SCORE_SKIP and are set aside in `losing`, in generation order. The captures stage, always
// generated first, has left the opponent's reach behind.
void score_quiet(MovePicker& pk, const PickerContext& ctx) {
    const Position& p = *ctx.position;
    const QuietOrder order = quiet_order(ctx);
    for (int i = 0; i < pk.count; ++i) {
        Move m = pk.moves[i];
        pk.scores[i] = SCORE_SKIP;
        if (excluded(pk, m)) continue;
        if (see_loses(p, m, pk.their_reach)) {
            pk.losing[pk.losing_count++] = m;
            continue;
        }
        pk.scores[i] = quiet_score(pk, ctx, order, m);
    }
}

// Scores the quiet moves of a quiescence node. The ones that lose material are dropped, but
// only when their turn comes: a cutoff usually comes first, and the order of the others is
// the same either way.
void score_qquiet(MovePicker& pk, const PickerContext& ctx) {
    const QuietOrder order = quiet_order(ctx);
    for (int i = 0; i < pk.count; ++i) {
        Move m = pk.moves[i];
        pk.scores[i] = excluded(pk, m) ? SCORE_SKIP : quiet_score(pk, ctx, order, m);
    }
}

// A table probe that waits for memory costs about as much as a whole node, so each child's
// entry starts loading a few moves before its turn, while earlier siblings are searched.
constexpr int PREFETCH_AHEAD = 3;

void prefetch_child(const MovePicker& pk, const Position& p, int index) {
    if (index < pk.count && pk.scores[index] != SCORE_SKIP)
        prefetch_table_entry(hash_key_after(p, pk.moves[index]));
}

void sort_stage(MovePicker& pk, const Position& p, PickerStage next_stage) {
    sort_moves(pk.scores, pk.moves, pk.count);
    pk.next = 0;
    pk.mg_status = next_stage;
    for (int i = 0; i < PREFETCH_AHEAD; ++i) prefetch_child(pk, p, i);
}

// The next move of the sorted list; skipped moves sort last, so the first one ends the list.
bool hand_out(MovePicker& pk, const Position& p, Move& move) {
    if (pk.next >= pk.count) return false;
    if (pk.scores[pk.next] == SCORE_SKIP) {
        pk.next = pk.count;
        return false;
    }
    prefetch_child(pk, p, pk.next + PREFETCH_AHEAD);
    move = pk.moves[pk.next++];
    return true;
}

// Stage 0: the internal search's move, else the table's, if it fits the position and was not
// handed out already. In check only a legal evasion will do, since evasions are not re-tested.
bool take_hash_move(MovePicker& pk, const PickerContext& ctx, Move& move) {
    Position& p = *ctx.position;
    for (Move m : {ctx.search_move, ctx.tt_move}) {
        m &= MOVE_IDENTITY_MASK;
        if (m <= SKIP_MOVE || listed(pk.tried, pk.tried_count, m)) continue;
        if (!(ctx.in_check ? is_legal_move(p, m) : is_valid_move(p, m))) continue;
        if (!picker_add_tried(pk, m)) return false;
        move = m;
        return true;
    }
    return false;
}

// Root lines' first moves go ahead of every capture. Room in `tried` is kept for each, since a
// root move is added there when handed out.
void add_root_first(MovePicker& pk, const PickerContext& ctx) {
    int n = std::min(ctx.root_first_count, MAX_ROOT_FIRST);
    for (int i = 0; i < n && ctx.root_first; ++i) {
        Move m = ctx.root_first[i].move & MOVE_IDENTITY_MASK;
        if (m <= SKIP_MOVE || excluded(pk, m) || !is_valid_move(*ctx.position, m)) continue;
        if (pk.tried_count + pk.root_first_count >= MAX_TRIED) break;
        pk.root_first[pk.root_first_count++] = m;
        pk.moves[pk.count] = m;
        pk.scores[pk.count++] = SCORE_ROOT_FIRST + ctx.root_first[i].score;
    }
}

void generate_captures(MovePicker& pk, const PickerContext& ctx) {
    const Position& p = *ctx.position;
    pk.count = 0;
    pk.root_first_count = 0;
    add_root_first(pk, ctx);
    const int first = pk.count;
    gen_captures(p, pk.moves, pk.count, nullptr, ~Bitboard(0));
    compute_threats(pk, p);
    const bool far = far_ahead(ctx);
    for (int i = first; i < pk.count; ++i)
        pk.scores[i] = excluded(pk, pk.moves[i]) ? SCORE_SKIP
                                                 : capture_score(p, pk.moves[i], far, SEE_UNKNOWN);
    sort_stage(pk, p, STAGE_CAPTURES);
}

void generate_quiet(MovePicker& pk, const PickerContext& ctx) {
    pk.count = 0;
    pk.losing_count = 0;
    gen_quiet(*ctx.position, pk.moves, pk.count);
    score_quiet(pk, ctx);
    sort_stage(pk, *ctx.position, STAGE_QUIET);
}

// A legal king step lands where nothing can take back, so only the other quiet evasions need
// the exchange test. Once one evasion has shown the node is no mate, quiescence leaves these
// out: interposing a piece that will be taken rarely saves a quiet position.
bool quiet_losing_evasion(const Position& p, Move m) {
    return !is_capture(m) && move_promotion(m) == EMPTY && type_of(move_piece(m)) != KING &&
           see_loses(p, m);
}

void generate_evasions(MovePicker& pk, const PickerContext& ctx) {
    const Position& p = *ctx.position;
    pk.count = 0;
    gen_evasions(p, pk.moves, pk.count);
    pk.one_reply = pk.count == 1;
    const bool far = far_ahead(ctx);
    for (int i = 0; i < pk.count; ++i) {
        Move m = pk.moves[i];
        if (excluded(pk, m))
            pk.scores[i] = SCORE_SKIP;
        else if (is_capture(m) || move_promotion(m) != EMPTY)
            pk.scores[i] = capture_score(p, m, far, SEE_UNKNOWN);
        else if (quiet_losing_evasion(p, m))
            pk.scores[i] = 0;
        else
            pk.scores[i] = std::clamp(history_value(*ctx.history, ctx.ply, p.turn, m), 0,
                                      HISTORY_SCORE_CAP);
    }
    sort_stage(pk, p, STAGE_EVASIONS);
}

// Pawns worth a capture even when quiescence is far below alpha: with few enemy pieces left
// their passed pawns; otherwise those two steps from promotion or at our king.
Bitboard dangerous_pawns(const Position& p, int them) {
    const int us = them ^ 1;
    const Bitboard pawns = p.pieces[piece_of(PAWN, them)];
    if (p.piece_count[them] < 6) {
        const Bitboard ours = p.pieces[piece_of(PAWN, us)];
        const int span = them == WHITE ? SPAN_ABOVE : SPAN_BELOW;
        Bitboard passed = 0;
        for (Bitboard b = pawns; b;) {
            Square s = pop_lowest(b);
            if (!(tables.square_masks[s][span] & ours)) passed |= square_bit(s);
        }
        return passed;
    }
    const Bitboard advanced = them == WHITE ? rank_mask(5) | rank_mask(6) : rank_mask(2) | rank_mask(1);
    return pawns & (advanced | tables.square_masks[p.king_sq[us]][KING_ZONE]);
}

// The further stand-pat lies below alpha, the fewer men are worth taking: a capture that cannot
// bring the score back within the close gap of alpha is not searched.
Bitboard qsearch_targets(const PickerContext& ctx) {
    const Position& p = *ctx.position;
    const int gap = ctx.alpha - ctx.ev_stm;
    if (gap <= QSEARCH_CLOSE_GAP) return ~Bitboard(0);
    const int them = p.turn ^ 1;
    Bitboard targets = ~p.pieces[piece_of(PAWN, them)] | dangerous_pawns(p, them);
    if (gap > piece_value_abs[piece_of(KNIGHT, them)] + QSEARCH_CLOSE_GAP)
        targets &= ~(p.pieces[piece_of(KNIGHT, them)] | p.pieces[piece_of(BISHOP, them)]);
    if (gap > piece_value_abs[piece_of(ROOK, them)] + QSEARCH_CLOSE_GAP)
        targets &= ~p.pieces[piece_of(ROOK, them)];
    return targets;
}

// Quiescence captures that do not lose material, best exchange first.
void generate_qcaptures(MovePicker& pk, const PickerContext& ctx) {
    const Position& p = *ctx.position;
    int n = 0;
    gen_captures(p, pk.moves, n, nullptr, qsearch_targets(ctx));
    const bool far = far_ahead(ctx);
    pk.count = 0;
    for (int i = 0; i < n; ++i) {
        Move m = pk.moves[i];
        int see = see_move(p, m);
        if (see < 0) continue;
        pk.moves[pk.count] = m;
        pk.scores[pk.count++] = capture_score(p, m, far, see);
    }
    sort_stage(pk, p, STAGE_CAPTURES);
}

// Quiet moves of the first quiescence ply: all of them on a principal line with deep PVS on and
// stand-pat within the margin of alpha; else the checks when stand-pat is close to alpha.
void generate_qquiet(MovePicker& pk, const PickerContext& ctx) {
    const Position& p = *ctx.position;
    const int gap = ctx.alpha - ctx.ev_stm;
    pk.count = 0;
    if (ctx.depth == 0 && enable_deep_pvs && ctx.pv_node && gap <= enable_deep_pvs_margin) {
        compute_threats(pk, p);
        gen_quiet(p, pk.moves, pk.count);
    } else if (ctx.depth == 0 && gap <= QSEARCH_CLOSE_GAP) {
        int n = 0;
        gen_checks(p, pk.moves, n);
        // The queen promotion by push came with the captures.
        for (int i = 0; i < n; ++i)
            if (type_of(move_promotion(pk.moves[i])) != QUEEN) pk.moves[pk.count++] = pk.moves[i];
    }
    score_qquiet(pk, ctx);
    sort_stage(pk, p, STAGE_QUIET);
}

}  // namespace

void picker_restart(MovePicker& pk) {
    pk.mg_status = STAGE_START;
    pk.count = 0;
    pk.next = 0;
    pk.losing_count = 0;
    pk.root_first_count = 0;
    pk.threat_from = 0;
    pk.one_reply = false;
}

void picker_start(MovePicker& pk) {
    picker_restart(pk);
    pk.tried_count = 0;
}

bool picker_add_tried(MovePicker& pk, Move move) {
    if (pk.tried_count >= MAX_TRIED) return false;
    pk.tried[pk.tried_count++] = move & MOVE_IDENTITY_MASK;
    return true;
}

int next_move(MovePicker& pk, const PickerContext& ctx, Move& move, uint32_t& flags) {
    flags = 0;
    for (;;) {
        switch (pk.mg_status) {
            case STAGE_START:
                pk.mg_status = ctx.in_check ? STAGE_GEN_EVASIONS : STAGE_GEN_CAPTURES;
                if (take_hash_move(pk, ctx, move)) return 0;
                break;
            case STAGE_GEN_CAPTURES:
                generate_captures(pk, ctx);
                break;
            case STAGE_CAPTURES:
                if (hand_out(pk, *ctx.position, move)) {
                    // A root line's move must stay out of a restarted pass.
                    if (listed(pk.root_first, pk.root_first_count, move)) picker_add_tried(pk, move);
                    return 0;
                }
                pk.mg_status = STAGE_GEN_QUIET;
                break;
            case STAGE_GEN_QUIET:
                generate_quiet(pk, ctx);
                break;
            case STAGE_QUIET:
                if (hand_out(pk, *ctx.position, move)) {
                    if (meets_threat(pk, move)) flags = ENTRY_MEETS_THREAT;
                    return 0;
                }
                pk.mg_status = STAGE_LOSING;
                pk.next = 0;
                break;
            case STAGE_LOSING:
                if (pk.next >= pk.losing_count) return 1;
                move = pk.losing[pk.next++];
                return 0;
            case STAGE_GEN_EVASIONS:
                generate_evasions(pk, ctx);
                break;
            default:
                return hand_out(pk, *ctx.position, move) ? 0 : 1;
        }
    }
}

int next_qmove(MovePicker& pk, const PickerContext& ctx, Move& move, uint32_t& flags) {
    flags = 0;
    for (;;) {
        switch (pk.mg_status) {
            case STAGE_START:
                pk.mg_status = ctx.in_check ? STAGE_GEN_EVASIONS : STAGE_GEN_CAPTURES;
                break;
            case STAGE_GEN_CAPTURES:
                generate_qcaptures(pk, ctx);
                break;
            case STAGE_CAPTURES:
                if (hand_out(pk, *ctx.position, move)) return 0;
                pk.mg_status = STAGE_GEN_QUIET;
                break;
            case STAGE_GEN_QUIET:
                generate_qquiet(pk, ctx);
                break;
            case STAGE_QUIET:
                while (hand_out(pk, *ctx.position, move))
                    if (!see_loses(*ctx.position, move)) return 0;
                return 1;
            case STAGE_GEN_EVASIONS:
                generate_evasions(pk, ctx);
                break;
            default:  // the evasions
                while (hand_out(pk, *ctx.position, move))
                    if (pk.next == 1 || !quiet_losing_evasion(*ctx.position, move)) return 0;
                return 1;
        }
    }
}

int moves_remaining(const MovePicker& pk) {
    switch (pk.mg_status) {
        case STAGE_CAPTURES:
        case STAGE_QUIET:
        case STAGE_EVASIONS:
            return pk.count - pk.next;
        case STAGE_LOSING:
            return pk.losing_count - pk.next;
        default:
            return REMAINING_UNKNOWN;
    }
}
