#include "search/node_rules.h"

#include <algorithm>

#include "board/attacks.h"
#include "common/pieces.h"
#include "search/node_internal.h"
#include "search/search_options.h"
#include "search/search_shared.h"

bool mate_distance_prunes(const Frame& f) { return f.alpha >= 9999 - f.ply; }

bool is_draw(const Position& p, Frame& f) {
    if (p.half_moves > 79) f.no_tt_cut = 1;
    if (p.half_moves > 99) return true;
    // history[k].hash_key is the key before move k. An internal search's SKIP entry is no ply:
    // it holds the key of the node it searches again.
    int plies = 0, seen = 0;
    for (int k = p.hist_top; k >= 1 && plies < p.half_moves; --k) {
        if (p.history[k].move == SKIP_MOVE) continue;
        if (++plies < 4 || plies % 2 || p.history[k].hash_key != p.hash_key) continue;
        if (f.ply > 3) return true;
        f.no_tt_cut = 1;
        if (++seen >= 2) return true;
    }
    return false;
}

bool reached_by_reduced_scout(const StackEntry* parent) {
    return parent && parent->search == CONT_SCOUT && parent->red > 0;
}

bool reduced_move_looks_good(const StackEntry* parent, const Frame& f, int turn) {
    if (!limit_history_pruning || !reached_by_reduced_scout(parent)) return false;
    Frame& pf = *parent->frame;
    if (parent->flags & ENTRY_PICKER_MARK || f.ev == NO_EVAL || pf.ev == NO_EVAL) return false;
    int parent_side = turn ^ 1;
    int gain = parent_side == WHITE ? f.ev - pf.ev : pf.ev - f.ev;
    if (gain <= limit_history_pruning_margin - 10 || f.ev_stm >= f.beta + 150 ||
        pf.reduced_refusals.load(std::memory_order_relaxed) >= 6)
        return false;
    pf.reduced_refusals.fetch_add(1, std::memory_order_relaxed);
    return true;
}

namespace {

int null_move_reduction(const Position& p, int depth) {
    if (p.piece_count[p.turn] <= 2) return 3;
    if (depth >= null_move_r4_min_depth) return 5;
    if (depth >= null_move_r3_min_depth) return 4;
    return 3;
}

// Whether the piece the opponent would move first can simply be won, so that its threat is
// not a real one.
bool threat_piece_can_be_won(const Position& p, Square s) {
    int us = p.turn, them = us ^ 1;
    Bitboard ours = attackers(p, s, us);
    if (!ours) return false;
    if (ours & p.pieces[piece_of(PAWN, us)]) return true;
    int value = piece_value_abs[p.board[s]];
    for (Bitboard b = ours; b;)
        if (piece_value_abs[p.board[pop_lowest(b)]] < value) return true;
    return !attackers(p, s, them);
}

}  // namespace

int null_move_depth(const Position& p, int depth) {
    return std::max(depth - null_move_reduction(p, depth), 0);
}

bool null_move_allowed(const Position& p, const Frame& f) {
    if (!enable_null_move || f.type == NODE_PV || f.kind >= 2 || f.in_check || f.depth <= 1 ||
        f.beta >= MATE_BOUND || f.node_ext != 0 || p.piece_count[p.turn] == 0)
        return false;
    if (f.tt_type == TT_CUT && f.tt_score > MATE_BOUND) return false;
    bool table_says_fail_low = (f.tt_type == TT_ALL || f.tt_type == TT_PV) &&
                               f.tt_score < f.beta && f.tt_depth >= null_move_depth(p, f.depth);
    bool exempt = f.kind > 0 && p.piece_count[p.turn] <= 1 && f.depth >= 5;
    return !table_says_fail_low || exempt;
}

// A null search that ended before its moves (a table cutoff, its own null cutoff) has only the
// move its table entry holds.
Move null_move_reply(const Frame& null_child) {
    return null_child.best_move > SKIP_MOVE ? null_child.best_move : null_child.tt_move;
}

bool mate_threat_is_real(const Position& p, Move reply) {
    return !limit_mate_extension || !threat_piece_can_be_won(p, move_from(reply));
}

bool refutes_reduction(const StackEntry* parent, const Frame& f, Move reply) {
    if (!enable_reduction_refutation_extension || !reached_by_reduced_scout(parent)) return false;
    bool reply_from_there = reply > SKIP_MOVE && move_from(reply) == move_to(parent->move);
    return f.mate_threat || (f.depth <= 6 && reply_from_there);
}

FirstMoveSearch first_move_search(const Frame& f) {
    if (f.depth < 3) return FirstMoveSearch::NONE;
    bool no_entry = f.tt_type == TT_NIL;
    bool expects_cut = f.type != NODE_ALL || f.tt_type == TT_CUT || f.tt_type == TT_PV;
    if (expects_cut && (no_entry || f.tt_depth < f.depth - 2 || f.tt_type == TT_ALL))
        return FirstMoveSearch::IID;
    if (f.type == NODE_ALL && f.depth > 4 && no_entry) return FirstMoveSearch::PROBE;
    return FirstMoveSearch::NONE;
}

bool ordering_search_follows(const Frame& f, int score) {
    return ext_mos && f.lm <= 1 && f.type != NODE_ALL && f.depth >= 3 &&
           (score <= f.alpha || (f.type == NODE_PV && f.tt_type != TT_NIL && score < f.tt_score - 12));
}

// A deep enough table entry already answers the singular test, so its flag stands.
bool singular_test_applies(const Position& p, Frame& f) {
    const int mode = enable_singular_extension;
    int them = p.turn ^ 1;
    bool eligible = mode != 0 && f.depth >= 4 && f.ply > 0 && f.type != NODE_ALL &&
                    (mode != 2 || f.type == NODE_PV) &&
                    (f.depth > 4 || p.pieces[piece_of(QUEEN, them)] || p.piece_count[them] > 2) &&
                    (!f.in_check || singular_extension_in_check || f.type == NODE_PV);
    if (!eligible) {
        f.singular = 0;
        return false;
    }
    return !(f.tt_depth >= f.depth && (mode == 1 || f.tt_type == TT_PV));
}

namespace {

// The opponent's move that gave the check `p`'s last move answers, past the SKIP entries of
// internal searches.
Move checking_move(const Position& p) {
    int k = p.hist_top - 1;
    while (k > 0 && p.history[k].move == SKIP_MOVE) --k;
    return p.history[k].move;
}

// `pressed`: the side in check was already in check, or under a mate threat, at its own
// previous node. Such a king hunt or threat carried out gets every evasion its ply, or the
// attack's last checks fall beyond the horizon.
bool evasion_deserves_extension(const Position& p, const Frame& f, Move m, bool pressed) {
    if (!limit_check_evasion_extension || pressed) return true;
    if (f.one_reply && move_captured(m) == EMPTY) return true;
    if (type_of(move_piece(m)) == KING && move_to(checking_move(p)) != move_to(m)) return true;
    return type_of(move_captured(m)) == PAWN || is_en_passant(m);
}

}  // namespace

int move_extension(const Position& p, const Frame& f, const StackEntry& e, int iteration,
                   SearchStats& stats, bool pressed) {
    if (f.ply >= 2 * iteration + 5) return 0;
    int ext = f.node_ext;
    bool gives_check = e.flags & ENTRY_GIVES_CHECK;
    if (enable_check_extension && !enable_check_evasion_extension && gives_check &&
        f.depth >= 0 && f.depth <= check_extension_max_depth) {
        ++ext;
        ++stats.ext_check;
    }
    if (enable_check_evasion_extension && f.in_check && f.ply >= 1 && f.depth >= 0 &&
        f.depth < check_evasion_extension_max_depth && evasion_deserves_extension(p, f, e.move, pressed)) {
        ++ext;
        ++stats.ext_check;
    }
    bool singular_mode = enable_singular_extension == 1 || (enable_singular_extension == 2 && f.type == NODE_PV);
    if (f.singular && f.after_first == 0 && f.lm == 1 && singular_mode) {
        ++ext;
        ++stats.ext_singular;
    }
    if (enable_one_rep_extension && f.one_reply && f.depth >= 0 && f.depth <= 1 &&
        f.depth <= one_rep_extension_max_depth) {
        ++ext;
        ++stats.ext_one_rep;
    }
    return std::min(ext, 1);
}
