// The staged move picker (every move once, the order of captures, losing moves last, evasions,
// threats, quiescence filters, restarts) and the history and killer tables behind it.
#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "board/notation.h"
#include "search/move_picker.h"
#include "search/search_options.h"
#include "tactics_positions.h"

namespace {

class Picker : public BoardTest {
protected:
    void SetUp() override {
        clear_shared_history();
        clear_move_history(*history);
    }
    std::unique_ptr<MoveHistory> history = std::make_unique<MoveHistory>();
    MovePicker picker{};
};

struct Picked {
    Move move;
    uint32_t flags;
    int stage;  // the picker's stage right after handing the move out
};

PickerContext context_for(Position& p, const MoveHistory& h, int ply = 12, int depth = 5) {
    PickerContext c{};
    c.position = &p;
    c.history = &h;
    c.ply = ply;
    c.depth = depth;
    c.alpha = -10000;
    c.beta = 10000;
    c.in_check = in_check(p);
    return c;
}

// Runs the picker to its end; past the end it must keep saying there is nothing left.
std::vector<Picked> drain(MovePicker& pk, const PickerContext& ctx, bool quiescence = false,
                          size_t limit = 1000) {
    auto next = quiescence ? next_qmove : next_move;
    std::vector<Picked> out;
    Move m;
    uint32_t flags;
    while (out.size() < limit && next(pk, ctx, m, flags) == 0) out.push_back({m, flags, pk.mg_status});
    if (out.size() < limit) {
        EXPECT_EQ(next(pk, ctx, m, flags), 1);
    }
    return out;
}

std::vector<Move> sorted(std::vector<Move> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<Move> moves_of(const std::vector<Picked>& picked) {
    std::vector<Move> v;
    for (const Picked& p : picked) v.push_back(p.move);
    return v;
}

// "e2e4", or "a7a8q" for a white queen promotion.
Move coord(const Position& p, const std::string& text) {
    return board_move(p, text.substr(0, 2).c_str(), text.substr(2, 2).c_str(),
                      text.size() > 4 ? WQUEEN : EMPTY);
}

std::string coord_text(Move m) {
    auto name = [](Square s) { return std::string{char('a' + file_of(s)), char('1' + rank_of(s))}; };
    return name(move_from(m)) + name(move_to(m));
}

// Captures and the queen promotion by push; every other move is generated as a quiet move.
bool from_capture_generator(Move m) {
    return move_captured(m) != EMPTY || is_en_passant(m) || type_of(move_promotion(m)) == QUEEN;
}

TEST_F(Picker, EveryMoveOnceHashAndRootMovesFirstLosingQuietMovesLast) {
    int n = 0;
    std::vector<Move> previous;
    for_each_corpus_position([&](Position& p) {
        const std::vector<Move> expected = node_moves(p);
        if (expected.empty()) return;
        ++n;
        PickerContext ctx = context_for(p, *history, n % 2 ? 12 : 0);
        // A generated move, a move of another position (often invalid here), or none.
        Move hash = n % 3 == 0 ? expected[n % expected.size()]
                    : n % 3 == 1 && !previous.empty() ? previous[n % previous.size()] : NULL_MOVE;
        (n % 2 ? ctx.tt_move : ctx.search_move) = hash;
        // Root lines: a repeat of the hash move, two generated moves and a foreign move.
        RootFirstMove lines[4] = {{hash, 50}, {expected.back(), 20}, {expected.front(), 30},
                                  {make_move_value(0, 63, WQUEEN, EMPTY, WQUEEN), 99}};
        if (ctx.ply == 0) ctx.root_first = lines, ctx.root_first_count = 4;
        // Some history and killers, so the quiet scoring has something to weigh.
        for (size_t i = 0; i < expected.size(); i += 3)
            update_move_history(*history, {ctx.ply, p.turn, int(i % 7) + 1, 0, 1, 1, expected[i]});

        picker_start(picker);
        const std::vector<Picked> picked = drain(picker, ctx);
        const std::vector<Move> got = moves_of(picked);
        ASSERT_EQ(sorted(got), sorted(expected)) << "position " << n;

        size_t at = 0;
        const bool hash_fits = std::find(expected.begin(), expected.end(), hash) != expected.end();
        if (hash_fits) {
            EXPECT_EQ(got[at++], hash);
        }
        if (ctx.ply == 0 && !ctx.in_check) {
            // Higher line score first; the hash move and the foreign move are not repeated.
            for (Move m : {expected.front(), expected.back()})
                if (m != hash && at < got.size() && got[at] == m) ++at;
            EXPECT_EQ(at, size_t(hash_fits) + (expected.front() != hash) +
                              (expected.back() != hash && expected.back() != expected.front()));
        }
        // The quiet moves that lose material are exactly the last stage, in generation order.
        for (; at < picked.size(); ++at) {
            Move m = picked[at].move;
            bool losing = !ctx.in_check && !from_capture_generator(m) && see_move(p, m) < 0 &&
                          !(ctx.ply == 0 && (m == expected.front() || m == expected.back()));
            EXPECT_EQ(picked[at].stage == STAGE_LOSING, losing) << move_text(m);
        }
        previous = expected;
    });
}

struct CaptureOrderCase {
    const char* fen;
    int depth, beta;
    std::vector<std::string> order;
};

TEST_F(Picker, CapturesComeInScoreOrder) {
    // exd5 wins 1300, Nxd5 1000, Rxh7 600, Qxd5 100; Nxb5 loses the knight for a pawn.
    const char* exchanges = "4k3/7r/2p5/1p1q4/4P3/2N5/8/3Q2KR w - - 0 1";
    const CaptureOrderCase cases[] = {
        {exchanges, 5, 10000, {"e4d5", "c3d5", "h1h7", "d1d5", "c3b5"}},
        // Far ahead at the leaves: most valuable victim, then least valuable attacker.
        {exchanges, 1, -500, {"e4d5", "c3d5", "d1d5", "h1h7", "c3b5"}},
        // Promotion and en passant between winning and losing captures.
        {"4k3/P6p/2p5/1p1pP3/8/2N5/8/4K2R w - d6 0 1", 5, 10000,
         {"h1h7", "a7a8q", "e5d6", "c3d5", "c3b5"}},
    };
    for (const CaptureOrderCase& c : cases) {
        Position p = position_from_fen(c.fen);
        PickerContext ctx = context_for(p, *history, 12, c.depth);
        ctx.beta = c.beta;
        picker_start(picker);
        std::vector<Move> got = moves_of(drain(picker, ctx, false, c.order.size()));
        std::vector<Move> want;
        for (const std::string& s : c.order) want.push_back(coord(p, s));
        EXPECT_EQ(got, want) << c.fen << " depth " << c.depth;
    }
}

TEST_F(Picker, QuietMovesFollowHistoryAndKillers) {
    Position p = start_position();
    const Move nc3 = coord(p, "b1c3"), nf3 = coord(p, "g1f3"), e4 = coord(p, "e2e4");
    update_move_history(*history, {10, WHITE, 4, 0, 1, 1, nf3});   // history 16, killer at 10
    update_move_history(*history, {30, WHITE, 5, 0, 1, 1, e4});    // history 25, killer at 30
    update_move_history(*history, {30, WHITE, 1, 0, 1, 1, nc3});   // history 1, killer at 30
    struct {
        int ply;
        std::vector<Move> first;
    } cases[] = {
        {10, {nf3, e4, nc3}},  // the killer of this ply: 16 << 3
        {12, {nf3, e4, nc3}},  // the killer of two plies up
        {30, {e4, nf3, nc3}},  // 25 << 3 and 1 << 3 against 16
        {31, {e4, nf3, nc3}},  // no killers: plain history
    };
    for (const auto& c : cases) {
        picker_start(picker);
        std::vector<Move> got = moves_of(drain(picker, context_for(p, *history, c.ply), false, 3));
        EXPECT_EQ(got, c.first) << "ply " << c.ply;
    }
    // Counters in the millions still order by their size.
    update_move_history(*history, {40, WHITE, 1300, 0, 1, 1, nc3});
    update_move_history(*history, {40, WHITE, 1100, 0, 1, 1, nf3});
    picker_start(picker);
    EXPECT_EQ(moves_of(drain(picker, context_for(p, *history, 40), false, 3)),
              (std::vector<Move>{nc3, nf3, e4}));
}

struct ThreatCase {
    const char* fen;
    std::set<std::string> flagged;
};

TEST_F(Picker, QuietMovesThatMeetAThreatAreMarked) {
    const ThreatCase cases[] = {
        // A pawn attacks the knight: only moving it away helps.
        {"4k3/8/8/4p3/3N4/8/8/4K3 w - - 0 1",
         {"d4b3", "d4b5", "d4c2", "d4c6", "d4e2", "d4e6", "d4f3", "d4f5"}},
        // A rook attacks the undefended knight: moving it away, not guarding it.
        {"2r3k1/8/8/8/8/2N5/8/R5K1 w - - 0 1",
         {"c3a2", "c3a4", "c3b1", "c3b5", "c3d1", "c3d5", "c3e2", "c3e4"}},
        // Guarded and attacked only by a dearer piece: no threat.
        {"2r3k1/8/8/8/8/2N5/3P4/6K1 w - - 0 1", {}},
    };
    for (const ThreatCase& c : cases) {
        Position p = position_from_fen(c.fen);
        picker_start(picker);
        std::set<std::string> flagged;
        for (const Picked& m : drain(picker, context_for(p, *history)))
            if (m.flags & ENTRY_MEETS_THREAT) flagged.insert(coord_text(m.move));
        EXPECT_EQ(flagged, c.flagged) << c.fen;
    }
}

TEST_F(Picker, SingleEvasionSetsOneReply) {
    struct {
        const char* fen;
        bool one_reply;
    } cases[] = {
        {"6k1/8/8/8/8/8/1R3PPP/r5K1 w - - 0 1", true},   // Rb1 is the only answer
        {"6k1/8/8/8/8/8/1R3PP1/r5K1 w - - 0 1", false},  // Kh2 as well
    };
    for (const auto& c : cases) {
        Position p = position_from_fen(c.fen);
        PickerContext ctx = context_for(p, *history);
        ctx.tt_move = coord(p, "b2b1");
        for (bool quiescence : {false, true}) {
            picker_start(picker);
            std::vector<Move> got = moves_of(drain(picker, ctx, quiescence));
            EXPECT_EQ(picker.one_reply, c.one_reply) << c.fen;
            // Quiescence may leave out a losing block; the corpus test covers its evasions.
            if (!quiescence) {
                EXPECT_EQ(sorted(got), sorted(node_moves(p))) << c.fen;
            }
        }
    }
}

TEST_F(Picker, HashMovesThatDoNotFitAreNotHandedOut) {
    Position p = position_from_fen("6k1/8/8/8/8/8/1R3PPP/r5K1 w - - 0 1");
    PickerContext ctx = context_for(p, *history);
    // Pseudo-legal but no evasion; then moves of pieces that are not there.
    for (Move m : {coord(p, "b2b8"), coord(p, "g1h1"), make_move_value(12, 28, WPAWN), SKIP_MOVE}) {
        ctx.tt_move = m;
        picker_start(picker);
        EXPECT_EQ(moves_of(drain(picker, ctx)), std::vector<Move>{coord(p, "b2b1")});
    }
}

TEST_F(Picker, RestartsHandOutNothingTwice) {
    Position p = position_from_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    const std::vector<Move> all = node_moves(p);
    PickerContext ctx = context_for(p, *history, 0);
    RootFirstMove lines[2] = {{all[20], 0}, {all[30], -5}};
    ctx.root_first = lines;
    ctx.root_first_count = 2;
    ctx.tt_move = all[5];
    picker_start(picker);
    std::vector<Move> got = moves_of(drain(picker, ctx, false, 2));
    EXPECT_EQ(got, (std::vector<Move>{all[5], all[20]}));
    // An ordering search brings a new table move; the picker itself keeps out the moves it took
    // from the table and the root lines.
    ctx.tt_move = all[40];
    picker_restart(picker);
    std::vector<Move> rest = moves_of(drain(picker, ctx, false, 3));
    EXPECT_EQ(rest[0], all[40]);
    EXPECT_EQ(rest[1], all[30]);
    // The moves the node searched from the generated lists are the caller's to exclude.
    picker_add_tried(picker, rest[2]);
    got.insert(got.end(), rest.begin(), rest.end());
    ctx.tt_move = NULL_MOVE;
    picker_restart(picker);
    rest = moves_of(drain(picker, ctx));
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(sorted(got), sorted(all));

    // A singular test starts over: the table move comes first again.
    picker_start(picker);
    ctx.tt_move = all[40];
    EXPECT_EQ(moves_of(drain(picker, ctx, false, 1)), std::vector<Move>{all[40]});
}

TEST_F(Picker, MovesRemainingCountsTheCurrentList) {
    Position p = start_position();
    PickerContext ctx = context_for(p, *history);
    picker_start(picker);
    EXPECT_EQ(moves_remaining(picker), 32);
    drain(picker, ctx, false, 1);
    EXPECT_EQ(picker.mg_status, STAGE_QUIET);
    EXPECT_EQ(moves_remaining(picker), 19);
}

struct QuiescenceCase {
    const char* fen;
    int depth, alpha;
    bool deep_pvs;
    std::set<std::string> moves;
};

TEST_F(Picker, QuiescenceTargetsAndQuietMoves) {
    const QuiescenceCase cases[] = {
        // Few enemy pieces: far below alpha only passed pawns are worth taking.
        {"4k3/8/8/1p6/8/2N5/P7/4K3 w - - 0 1", 0, 500, false, {}},
        {"4k3/8/8/1p6/8/2N5/P7/4K3 w - - 0 1", 0, 100, false, {"c3b5"}},
        {"4k3/8/8/1p6/8/2N5/8/4K3 w - - 0 1", 0, 500, false, {"c3b5"}},
        // Many enemy pieces: pawns near promotion (and pieces) always, others only close to alpha.
        {"rnbqkbnr/8/8/8/5p2/3Np3/3P4/6K1 w - - 0 1", -1, 500, false, {"d2e3"}},
        {"rnbqkbnr/8/8/8/5p2/3Np3/3P4/6K1 w - - 0 1", -1, 0, false, {"d2e3", "d3f4"}},
        // Far below alpha a capture must be able to bring the score near it: the queen always,
        // the rook up to 800 below, the minor up to 600 below.
        {"4k3/8/8/1n1r4/q7/2N5/8/4K3 w - - 0 1", -1, 1000, false, {"c3a4"}},
        {"4k3/8/8/1n1r4/q7/2N5/8/4K3 w - - 0 1", -1, 700, false, {"c3a4", "c3d5"}},
        {"4k3/8/8/1n1r4/q7/2N5/8/4K3 w - - 0 1", -1, 500, false, {"c3a4", "c3b5", "c3d5"}},
        // Losing captures are left out.
        {"4k3/8/2p5/1p6/8/2N5/8/4K3 w - - 0 1", 0, 500, false, {}},
        // Quiet checks on the first quiescence ply, close to alpha only.
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0, 0, false, {"a1a8"}},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", -1, 0, false, {}},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0, 500, false, {}},
        // In check, once one evasion is out, a block that only loses the blocker is left out.
        {"4k3/8/8/8/1b6/P7/8/1N2K3 w - - 0 1", 0, 0, false,
         {"a3b4", "b1d2", "e1d1", "e1e2", "e1f1", "e1f2"}},
        // Deep PVS: every quiet move that loses nothing.
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0, 0, true,
         {"a1a2", "a1a3", "a1a4", "a1a5", "a1a6", "a1a7", "a1a8", "a1b1", "a1c1", "a1d1", "e1d1",
          "e1d2", "e1e2", "e1f2", "e1f1"}},
    };
    for (const QuiescenceCase& c : cases) {
        Position p = position_from_fen(c.fen);
        PickerContext ctx = context_for(p, *history, 12, c.depth);
        ctx.alpha = c.alpha;
        ctx.beta = c.alpha + 50;
        ctx.pv_node = true;
        enable_deep_pvs = c.deep_pvs;
        picker_start(picker);
        std::set<std::string> got;
        for (const Picked& m : drain(picker, ctx, true)) got.insert(coord_text(m.move));
        enable_deep_pvs = 0;
        EXPECT_EQ(got, c.moves) << c.fen << " depth " << c.depth << " alpha " << c.alpha;
    }
}

TEST_F(Picker, QuiescenceHandsOutSafeCapturesChecksAndEvasionsOnce) {
    for_each_corpus_position([&](Position& p) {
        PickerContext ctx = context_for(p, *history, 12, 0);
        ctx.alpha = ctx.beta = 0;
        std::vector<Move> expected;
        picker_start(picker);
        const std::vector<Move> got = moves_of(drain(picker, ctx, true));
        if (ctx.in_check) {
            // Only the first evasion may be a quiet block that loses material.
            for (Move m : node_moves(p)) {
                const bool first = !got.empty() && m == got.front();
                const bool quiet_block = move_captured(m) == EMPTY && !is_en_passant(m) &&
                                         move_promotion(m) == EMPTY && type_of(move_piece(m)) != KING;
                if (first || !quiet_block || !see_loses(p, m)) expected.push_back(m);
            }
        } else {
            Move list[MAX_MOVES];
            int n = 0;
            gen_captures(p, list, n, nullptr, ~Bitboard(0));
            gen_checks(p, list, n);
            for (int i = 0; i < n; ++i)
                if (see_move(p, list[i]) >= 0 &&
                    std::find(expected.begin(), expected.end(), list[i]) == expected.end())
                    expected.push_back(list[i]);
        }
        EXPECT_EQ(sorted(got), sorted(expected));
    });
}

// History and killers.

class MoveTables : public Picker {
protected:
    // A quiet best move that raised alpha.
    void reward(int ply, int side, int depth, Move m) {
        update_move_history(*history, {ply, side, depth, 0, 1, 1, m});
    }
};

constexpr Move A = make_move_value(12, 28, WPAWN), B = make_move_value(6, 21, WKNIGHT),
               C = make_move_value(1, 18, WKNIGHT);

TEST_F(MoveTables, ThreadCountersAreQuarteredAfter30000Updates) {
    reward(20, WHITE, 20, B);
    reward(20, BLACK, 3, A);
    for (int i = 0; i < 29999; ++i) reward(20, WHITE, 1, A);
    EXPECT_EQ(history_value(*history, 20, WHITE, A), 29999);
    EXPECT_EQ(history_value(*history, 20, WHITE, B), 400);
    reward(20, WHITE, 1, A);  // update 30001
    EXPECT_EQ(history_value(*history, 20, WHITE, A), 7500);
    EXPECT_EQ(history_value(*history, 20, WHITE, B), 100);
    EXPECT_EQ(history_value(*history, 20, BLACK, A), 9);
    EXPECT_EQ(history_value(*history, 3, WHITE, A), 0);
}

TEST_F(MoveTables, NodesNearTheRootShareOneTableThatSaturates) {
    auto other = std::make_unique<MoveHistory>();
    clear_move_history(*other);
    reward(8, WHITE, 3, A);
    EXPECT_EQ(history_value(*other, 0, WHITE, A), 9);
    EXPECT_EQ(history_value(*history, 9, WHITE, A), 0);
    for (int i = 0; i < 40000; ++i) reward(1, WHITE, 200, A);
    EXPECT_EQ(history_value(*history, 1, WHITE, A), HISTORY_LIMIT);
}

TEST_F(MoveTables, OnlyQuietBestMovesThatRaiseAlphaCount) {
    Position p = position_from_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    const Move ep = coord(p, "e5d6"), capture = make_move_value(12, 20, WQUEEN, BROOK);
    const NodeOutcome ignored[] = {
        {20, WHITE, 4, 0, 1, 0, A},    // nothing searched
        {20, WHITE, 0, 0, 1, 1, A},    // no depth
        {20, WHITE, 4, 0, 0, 1, A},    // did not raise alpha
        {20, WHITE, 4, 0, 1, 1, capture},
        {20, WHITE, 4, 0, 1, 1, ep},
        {20, WHITE, 4, 0, 1, 1, SKIP_MOVE},
        {200, WHITE, 4, 0, 1, 1, A},   // beyond the killer table: history only
    };
    for (const NodeOutcome& node : ignored) update_move_history(*history, node);
    EXPECT_EQ(history_value(*history, 20, WHITE, A), 16);
    EXPECT_EQ(history_value(*history, 20, WHITE, capture), 0);
    EXPECT_EQ(history_value(*history, 20, WHITE, ep), 0);
    EXPECT_EQ(killers_at(*history, 20, WHITE)->moves[0], NULL_MOVE);
    EXPECT_EQ(killers_at(*history, 125, WHITE), nullptr);
    EXPECT_NE(killers_at(*history, -2, WHITE), nullptr);
}

TEST_F(MoveTables, KillerCountsCapAndSwap) {
    struct Step {
        Move reward;
        Move first, second;
        int first_count, second_count;
    };
    const Step steps[] = {
        {A, A, NULL_MOVE, 1, 0}, {A, A, NULL_MOVE, 2, 0}, {B, A, B, 2, 1},
        {B, B, A, 2, 2},  // even counts: the newer one goes first
        {A, A, B, 3, 2}, {C, A, C, 3, 1},
    };
    for (const Step& s : steps) {
        reward(5, BLACK, 2, s.reward);
        const KillerPair& k = *killers_at(*history, 5, BLACK);
        EXPECT_EQ(k.moves[0], s.first);
        EXPECT_EQ(k.moves[1], s.second);
        EXPECT_EQ(k.counts[0], s.first_count);
        EXPECT_EQ(k.counts[1], s.second_count);
    }
    for (int i = 0; i < 150; ++i) reward(5, BLACK, 2, A);
    EXPECT_EQ(killers_at(*history, 5, BLACK)->counts[0], KILLER_COUNT_LIMIT);
    EXPECT_EQ(killers_at(*history, 5, WHITE)->moves[0], NULL_MOVE);
}

TEST_F(MoveTables, JoiningThreadCopiesTheKillersNearTheRoot) {
    for (int ply = KILLER_FIRST_PLY; ply < 40; ++ply) reward(ply, WHITE, 1, A);
    for (int top : {5, 25}) {
        auto joiner = std::make_unique<MoveHistory>();
        clear_move_history(*joiner);
        copy_killers(*joiner, *history, top);
        const int copied = std::max(top, KILLER_COPY_MIN_PLIES);
        EXPECT_EQ(killers_at(*joiner, KILLER_FIRST_PLY + copied - 1, WHITE)->moves[0], A);
        EXPECT_EQ(killers_at(*joiner, KILLER_FIRST_PLY + copied, WHITE)->moves[0], NULL_MOVE);
    }
}

}  // namespace
