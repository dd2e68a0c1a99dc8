// What each rule of the node search decides for a node set up by hand: a position, a frame
// and, where the rule looks up the stack, its parent's entry.
#include <string>
#include <vector>

#include "board_test_support.h"
#include "search/node_internal.h"
#include "search/node_rules.h"
#include "search/search_options.h"
#include "search/search_shared.h"

namespace {

using NodeRules = BoardTest;

// Plays moves in coordinates ("g1f3"), NULL for a null move, or SKIP for an internal search of
// the same position.
void play(Position& p, const std::vector<std::string>& moves) {
    for (const std::string& m : moves) {
        if (m == "SKIP" || m == "NULL") {
            make_move(p, m == "SKIP" ? SKIP_MOVE : NULL_MOVE);
            continue;
        }
        Square from = square_at(m[0] - 'a', m[1] - '1'), to = square_at(m[2] - 'a', m[3] - '1');
        int captured = p.board[to];
        bool en_passant = type_of(p.board[from]) == PAWN && to == p.ep_square;
        make_move(p, make_move_value(from, to, p.board[from], en_passant ? EMPTY : captured));
    }
}

// A frame without table entry or evaluation and with the window (-100, 100); `f` is fresh.
void set_node(Frame& f, int depth, int ply, int type) {
    f.depth = depth;
    f.ply = ply;
    f.type = type;
    f.alpha = -100;
    f.beta = 100;
    f.tt_type = TT_NIL;
    f.tt_depth = NO_TT_DEPTH;
    f.ev = NO_EVAL;
}

TEST_F(NodeRules, MateDistanceRepetitionAndFiftyMoves) {
    const std::vector<std::string> there_and_back = {"g1f3", "g8f6", "f3g1", "f6g8"};
    auto twice = there_and_back;
    twice.insert(twice.end(), there_and_back.begin(), there_and_back.end());
    struct Case {
        std::vector<std::string> moves;
        int half_moves, ply, alpha;
        bool pruned, draw, no_tt_cut;
    } cases[] = {
        {{}, 0, 3, 9996, true, false, false},  // nothing better than a mate at ply 3 is left
        {{}, 0, 3, 9995, false, false, false},
        {there_and_back, 0, 3, 0, false, false, true},  // once near the root: searched, no cutoff
        {there_and_back, 0, 4, 0, false, true, false},
        {twice, 0, 2, 0, false, true, true},
        {{"g1f3", "g8f6", "f3g1"}, 0, 4, 0, false, false, false},
        // Internal searches' SKIP entries are no plies, nor their own earlier occurrence.
        {{"g1f3", "g8f6", "SKIP", "f3g1", "f6g8", "SKIP"}, 0, 4, 0, false, true, false},
        {{"g1f3", "SKIP", "SKIP", "g8f6", "f3g1", "f6g8"}, 0, 3, 0, false, false, true},
        {{"g1f3", "g8f6", "f3g1", "SKIP"}, 0, 4, 0, false, false, false},
        // The first occurrence lies beyond the last irreversible move.
        {{"g1f3", "g8f6", "f3g1", "f6g8", "NULL", "NULL"}, 0, 4, 0, false, false, false},
        {{}, 79, 5, 0, false, false, false},
        {{}, 80, 5, 0, false, false, true},
        {{}, 99, 5, 0, false, false, true},
        {{}, 100, 5, 0, false, true, true},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen("4k1n1/8/8/8/8/8/4P3/4KBN1 w - - " + std::to_string(c.half_moves) + " 1");
        play(p, c.moves);
        Frame f{};
        set_node(f, 5, c.ply, NODE_CUT);
        f.alpha = c.alpha;
        std::string what = "half moves " + std::to_string(c.half_moves) + " ply " + std::to_string(c.ply) +
                           " after " + std::to_string(c.moves.size()) + " moves";
        EXPECT_EQ(mate_distance_prunes(f), c.pruned) << what;
        EXPECT_EQ(is_draw(p, f), c.draw) << what;
        EXPECT_EQ(f.no_tt_cut != 0, c.no_tt_cut) << what;
    }
}

TEST_F(NodeRules, NullMoveConditionsAndDepth) {
    const char* pieces = "4k2r/8/8/8/8/8/8/RNBQK3 w - - 0 1";
    const char* one_piece = "4k3/8/8/8/8/8/4P3/4KN2 w - - 0 1";
    const char* pawns_only = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    struct Case {
        const char* fen;
        int type, kind, depth, beta, in_check, node_ext, tt_type, tt_score, tt_depth;
        bool allowed;
        int null_depth;
    } cases[] = {
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_NIL, 0, NO_TT_DEPTH, true, 2},
        {pieces, NODE_ALL, 1, 2, 9499, 0, 0, TT_NIL, 0, NO_TT_DEPTH, true, 0},
        {pieces, NODE_PV, 0, 6, 0, 0, 0, TT_NIL, 0, NO_TT_DEPTH, false, 2},
        {pieces, NODE_CUT, 2, 6, 0, 0, 0, TT_NIL, 0, NO_TT_DEPTH, false, 2},
        {pieces, NODE_CUT, 0, 6, 0, 1, 0, TT_NIL, 0, NO_TT_DEPTH, false, 2},
        {pieces, NODE_CUT, 0, 1, 0, 0, 0, TT_NIL, 0, NO_TT_DEPTH, false, 0},
        {pieces, NODE_CUT, 0, 6, 9500, 0, 0, TT_NIL, 0, NO_TT_DEPTH, false, 2},
        {pieces, NODE_CUT, 0, 6, 0, 0, 1, TT_NIL, 0, NO_TT_DEPTH, false, 2},
        {pawns_only, NODE_CUT, 0, 6, 0, 0, 0, TT_NIL, 0, NO_TT_DEPTH, false, 3},
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_CUT, 9501, 0, false, 2},  // the table sees a mate
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_CUT, 9500, 0, true, 2},
        // The table says the null search would fail low...
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_ALL, -1, 2, false, 2},
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_PV, -1, 2, false, 2},
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_ALL, -1, 1, true, 2},  // ...not deep enough
        {pieces, NODE_CUT, 0, 6, 0, 0, 0, TT_ALL, 0, 2, true, 2},   // ...not below beta
        // ...which is ignored in a nested search with one piece left, from depth 5.
        {one_piece, NODE_CUT, 1, 5, 0, 0, 0, TT_ALL, -1, 5, true, 2},
        {one_piece, NODE_CUT, 1, 4, 0, 0, 0, TT_ALL, -1, 5, false, 1},
        {one_piece, NODE_CUT, 0, 5, 0, 0, 0, TT_ALL, -1, 5, false, 2},
        {pieces, NODE_CUT, 1, 5, 0, 0, 0, TT_ALL, -1, 5, false, 1},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        Frame f{};
        set_node(f, c.depth, 3, c.type);
        f.kind = c.kind, f.beta = c.beta, f.in_check = c.in_check, f.node_ext = c.node_ext;
        f.tt_type = c.tt_type, f.tt_score = c.tt_score, f.tt_depth = c.tt_depth;
        std::string what = std::string(c.fen) + " type " + std::to_string(c.type) + " kind " +
                           std::to_string(c.kind) + " depth " + std::to_string(c.depth) + " table " +
                           std::to_string(c.tt_type) + "/" + std::to_string(c.tt_score);
        EXPECT_EQ(null_move_allowed(p, f), c.allowed) << what;
        EXPECT_EQ(null_move_depth(p, c.depth), c.null_depth) << what;
    }
}

TEST_F(NodeRules, ReducedMoveCheckAndReductionRefutation) {
    const Move led_here = make_move_value(12, 28, WPAWN);  // e2e4; Black is to move at the node
    struct Case {
        int code, red;
        uint32_t flags;
        int parent_ev, ev, beta, refusals, depth, mate_threat;
        Square reply_from;
        bool looks_good, refuted;
    } cases[] = {
        // The reduced move gains its side (White) 20 on the evaluation; the null move's reply
        // comes from the square the move went to.
        {CONT_SCOUT, 1, 0, 0, 20, 0, 0, 6, 0, 28, true, true},
        {CONT_SCOUT, 0, 0, 0, 20, 0, 0, 6, 0, 28, false, false},
        {CONT_RESEARCH, 1, 0, 0, 20, 0, 0, 6, 0, 28, false, false},
        {CONT_SCOUT, 1, ENTRY_PICKER_MARK, 0, 20, 0, 0, 6, 0, 28, false, true},
        {CONT_SCOUT, 1, 0, NO_EVAL, 20, 0, 0, 6, 0, 28, false, true},
        {CONT_SCOUT, 1, 0, 0, 8, 0, 0, 6, 0, 28, false, true},
        {CONT_SCOUT, 1, 0, 0, 9, 0, 0, 6, 0, 28, true, true},
        {CONT_SCOUT, 1, 0, 0, 20, -170, 0, 6, 0, 28, false, true},  // already far above beta
        {CONT_SCOUT, 1, 0, 0, 20, 0, 6, 6, 0, 28, false, true},     // six refusals are enough
        {CONT_SCOUT, 1, 0, 0, 20, 0, 0, 7, 0, 28, true, false},
        {CONT_SCOUT, 1, 0, 0, 20, 0, 0, 7, 1, 28, true, true},
        {CONT_SCOUT, 1, 0, 0, 20, 0, 0, 6, 0, 27, true, false},
    };
    for (const Case& c : cases) {
        Frame parent_frame{};
        set_node(parent_frame, 5, 2, NODE_CUT);
        parent_frame.ev = c.parent_ev;
        parent_frame.reduced_refusals = c.refusals;
        StackEntry parent{&parent_frame, led_here, uint8_t(c.code), c.flags, uint8_t(c.red), 4};
        Frame f{};
        set_node(f, c.depth, 3, NODE_ALL);
        f.ev = c.ev;  // from White's side
        f.ev_stm = -c.ev;
        f.beta = c.beta;
        f.mate_threat = c.mate_threat;
        std::string what = "code " + std::to_string(c.code) + " red " + std::to_string(c.red) + " ev " +
                           std::to_string(c.parent_ev) + "->" + std::to_string(c.ev) + " depth " +
                           std::to_string(c.depth) + " reply from " + std::to_string(c.reply_from);
        EXPECT_EQ(reduced_move_looks_good(&parent, f, BLACK), c.looks_good) << what;
        EXPECT_EQ(parent_frame.reduced_refusals, c.refusals + c.looks_good) << what;
        Move reply = make_move_value(c.reply_from, 20, BPAWN);
        EXPECT_EQ(refutes_reduction(&parent, f, reply), c.refuted) << what;
    }
    Frame f{};
    set_node(f, 5, 0, NODE_PV);
    EXPECT_FALSE(reduced_move_looks_good(nullptr, f, WHITE));
    EXPECT_FALSE(refutes_reduction(nullptr, f, NULL_MOVE));
}

TEST_F(NodeRules, InternalSearchesAndTheSingularTest) {
    using S = FirstMoveSearch;
    struct FirstMove {
        int type, depth, tt_type, tt_depth;
        S search;
    } first_moves[] = {
        {NODE_PV, 2, TT_NIL, NO_TT_DEPTH, S::NONE},  {NODE_PV, 3, TT_NIL, NO_TT_DEPTH, S::IID},
        {NODE_CUT, 3, TT_NIL, NO_TT_DEPTH, S::IID},  {NODE_CUT, 6, TT_CUT, 4, S::NONE},
        {NODE_CUT, 6, TT_CUT, 3, S::IID},            {NODE_CUT, 6, TT_ALL, 9, S::IID},
        {NODE_ALL, 6, TT_CUT, 3, S::IID},            {NODE_ALL, 6, TT_PV, 4, S::NONE},
        {NODE_ALL, 6, TT_ALL, 1, S::NONE},           {NODE_ALL, 5, TT_NIL, NO_TT_DEPTH, S::PROBE},
        {NODE_ALL, 4, TT_NIL, NO_TT_DEPTH, S::NONE},
    };
    for (const FirstMove& c : first_moves) {
        Frame f{};
        set_node(f, c.depth, 3, c.type);
        f.tt_type = c.tt_type, f.tt_depth = c.tt_depth;
        EXPECT_EQ(first_move_search(f), c.search)
            << "type " << c.type << " depth " << c.depth << " table " << c.tt_type << "/" << c.tt_depth;
    }

    struct Ordering {
        int type, depth, lm, tt_type, tt_score, score;
        bool follows;
    } orderings[] = {
        {NODE_CUT, 3, 1, TT_NIL, 0, -100, true},  {NODE_CUT, 3, 1, TT_NIL, 0, -99, false},
        {NODE_CUT, 3, 2, TT_NIL, 0, -100, false}, {NODE_CUT, 2, 1, TT_NIL, 0, -100, false},
        {NODE_ALL, 3, 1, TT_NIL, 0, -100, false}, {NODE_PV, 3, 1, TT_PV, 30, 17, true},
        {NODE_PV, 3, 1, TT_PV, 30, 18, false},    {NODE_PV, 3, 1, TT_NIL, 30, 17, false},
        {NODE_CUT, 3, 1, TT_CUT, 30, 17, false},
    };
    for (const Ordering& c : orderings) {
        Frame f{};
        set_node(f, c.depth, 3, c.type);
        f.lm = c.lm, f.tt_type = c.tt_type, f.tt_score = c.tt_score;
        EXPECT_EQ(ordering_search_follows(f, c.score), c.follows)
            << "type " << c.type << " depth " << c.depth << " lm " << c.lm << " score " << c.score;
    }

    const char* queen = "3qk3/8/8/8/8/8/8/4K3 w - - 0 1";
    const char* two_pieces = "2r1kn2/8/8/8/8/8/8/4K3 w - - 0 1";
    const char* three_pieces = "2rbkn2/8/8/8/8/8/8/4K3 w - - 0 1";
    struct Singular {
        const char* fen;
        int mode, type, depth, ply, in_check, tt_type, tt_depth;
        bool applies, flag_kept;
    } singulars[] = {
        {queen, 1, NODE_CUT, 4, 1, 0, TT_NIL, NO_TT_DEPTH, true, false},
        {queen, 1, NODE_CUT, 4, 0, 0, TT_NIL, NO_TT_DEPTH, false, false},
        {queen, 1, NODE_CUT, 3, 1, 0, TT_NIL, NO_TT_DEPTH, false, false},
        {queen, 1, NODE_ALL, 6, 1, 0, TT_NIL, NO_TT_DEPTH, false, false},
        {queen, 0, NODE_PV, 6, 1, 0, TT_NIL, NO_TT_DEPTH, false, false},
        {queen, 1, NODE_CUT, 6, 1, 1, TT_NIL, NO_TT_DEPTH, false, false},
        {queen, 1, NODE_PV, 6, 1, 1, TT_NIL, NO_TT_DEPTH, true, false},
        {two_pieces, 1, NODE_CUT, 4, 1, 0, TT_NIL, NO_TT_DEPTH, false, false},
        {two_pieces, 1, NODE_CUT, 5, 1, 0, TT_NIL, NO_TT_DEPTH, true, false},
        {three_pieces, 1, NODE_CUT, 4, 1, 0, TT_NIL, NO_TT_DEPTH, true, false},
        {queen, 1, NODE_CUT, 6, 1, 0, TT_CUT, 6, false, true},  // the table has answered
        {queen, 1, NODE_CUT, 6, 1, 0, TT_CUT, 5, true, false},
        {queen, 2, NODE_CUT, 6, 1, 0, TT_NIL, NO_TT_DEPTH, false, false},
        {queen, 2, NODE_PV, 6, 1, 0, TT_CUT, 6, true, false},
        {queen, 2, NODE_PV, 6, 1, 0, TT_PV, 6, false, true},
    };
    for (const Singular& c : singulars) {
        enable_singular_extension = c.mode;
        Position p = position_from_fen(c.fen);
        Frame f{};
        set_node(f, c.depth, c.ply, c.type);
        f.in_check = c.in_check, f.tt_type = c.tt_type, f.tt_depth = c.tt_depth;
        f.singular = 1;
        std::string what = std::string(c.fen) + " mode " + std::to_string(c.mode) + " type " +
                           std::to_string(c.type) + " depth " + std::to_string(c.depth) + " ply " +
                           std::to_string(c.ply) + " table depth " + std::to_string(c.tt_depth);
        bool applies = singular_test_applies(p, f);
        EXPECT_EQ(applies, c.applies) << what;
        if (!applies) {
            EXPECT_EQ(f.singular != 0, c.flag_kept) << what;
        }
    }
    enable_singular_extension = 1;
}

TEST_F(NodeRules, ExtensionsAreCappedAtOnePlyAndEndDeepInTheTree) {
    const char* pawn_check = "4k3/8/8/8/8/3p4/8/4K3 b - - 0 1";  // d3d2+
    const char* rook_check = "4k3/8/8/8/8/8/7r/4K3 b - - 0 1";   // h2e2+
    const char* passing_pawn_check = "8/8/8/5k2/3p4/8/4P3/4K3 w - - 0 1";  // e2e4+
    struct Case {
        const char* fen;
        std::vector<std::string> moves;  // the last one is the node's move
        int ply, iteration, node_ext, one_reply, singular, lm;
        int extension;
        bool pressed = false;  // in check or under a mate threat two plies up as well
    } cases[] = {
        {pawn_check, {"d3d2", "e1d2"}, 3, 5, 0, 0, 0, 1, 1},  // the king takes the checking pawn
        {pawn_check, {"d3d2", "e1f2"}, 3, 5, 0, 0, 0, 1, 1},
        {rook_check, {"h2e2", "e1e2"}, 3, 5, 0, 0, 0, 1, 0},  // ...or a rook where it just went
        {rook_check, {"h2e2", "e1d1"}, 3, 5, 0, 0, 0, 1, 1},
        {rook_check, {"h2e2", "SKIP", "e1e2"}, 3, 5, 0, 0, 0, 1, 0},  // in an internal search
        {rook_check, {"h2e2", "e1e2"}, 3, 5, 0, 0, 0, 1, 1, true},     // a king hunt goes on
        {rook_check, {"h2e2", "e1e2"}, 7, 1, 0, 0, 0, 1, 0, true},
        {passing_pawn_check, {"e2e4", "d4e3"}, 3, 5, 0, 0, 0, 1, 1},  // en passant
        {rook_check, {"h2e2", "e1d1"}, 0, 5, 0, 0, 0, 1, 0},          // not at the root
        {rook_check, {"h2e2", "e1d1"}, 3, 5, 1, 0, 1, 1, 1},          // three reasons, one ply
        {rook_check, {"h2e2", "e1e2"}, 3, 5, 0, 1, 0, 1, 0},          // one reply, but a capture
        {pawn_check, {"d3d2", "e1d1"}, 6, 1, 0, 0, 0, 1, 1},
        {pawn_check, {"d3d2", "e1d1"}, 7, 1, 0, 0, 0, 1, 0},  // from ply 2 x iteration + 5 on
        {pawn_check, {"d3d2", "e1d1"}, 14, 5, 1, 0, 0, 1, 1},
        {pawn_check, {"d3d2", "e1d1"}, 15, 5, 1, 0, 0, 1, 0},
        {START_FEN, {"e2e4"}, 3, 5, 0, 0, 1, 1, 1},  // the singular first move
        {START_FEN, {"e2e4"}, 3, 5, 0, 0, 1, 2, 0},
        {START_FEN, {"e2e4"}, 3, 5, 1, 0, 0, 3, 1},  // a user node
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        play(p, c.moves);
        Frame f{};
        set_node(f, 6, c.ply, NODE_CUT);
        f.in_check = c.moves.size() > 1;
        f.node_ext = c.node_ext, f.one_reply = c.one_reply, f.singular = c.singular, f.lm = c.lm;
        StackEntry e{&f, p.history[p.hist_top].move, CONT_SCOUT, 0, 0, 5};
        SearchStats stats{};
        EXPECT_EQ(move_extension(p, f, e, c.iteration, stats, c.pressed), c.extension)
            << c.fen << " " << c.moves.back() << " ply " << c.ply << " iteration " << c.iteration
            << (c.pressed ? " pressed" : "");
    }
}

}  // namespace
