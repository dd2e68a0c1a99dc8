// Evaluation frame: material from the side to move's point of view, the king and pawn caches,
// the draw rules, the phase blend and the final scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "eval_test_support.h"
#include "eval/draw_rules.h"
#include "eval/endgame.h"
#include "eval/evaluate.h"
#include "eval/phase.h"
#include "eval/terms.h"
#include "frontend/bench_command.h"
#include "tactics_positions.h"

namespace {

using Evaluation = EvalTest;

Position with_turn(const char* fen, int turn) {
    Position p = position_from_fen(fen);
    p.turn = turn;
    return p;
}

struct FrameCase {
    const char* fen;     // side to move is set by the test
    int white_view[2];   // [BLACK], [WHITE] to move
    int drawishness;
};

TEST_F(Evaluation, TempoClampAndDeadDrawsSeenFromTheSideToMove) {
    const std::vector<FrameCase> cases = {
        // The side to move has the tempo: 5 * 116 / 128.
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1", {-4, 4}, 0},
        // Nine queens against three pawns stay short of a mate score.
        {"7k/5ppp/8/8/8/8/QQQQQQQQ/QK6 w - - 0 1", {9499, 9499}, 0},
        // No mating material: dead draws, whatever the material says.
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", {0, 0}, 1024},
        {"4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", {0, 0}, 1024},
        {"2n1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", {0, 0}, 1024},
    };
    for (const FrameCase& c : cases) {
        for (int turn : {WHITE, BLACK}) {
            const int stm = eval(with_turn(c.fen, turn));
            EXPECT_EQ(info.score, c.white_view[turn]) << c.fen;
            EXPECT_EQ(stm, turn == WHITE ? info.score : -info.score) << c.fen;
            EXPECT_EQ(info.stm_score, stm);
            EXPECT_EQ(info.drawishness, c.drawishness) << c.fen;
        }
    }
}

struct DrawCase {
    const char* fen;
    int drawishness;  // -1: any count short of a dead draw
    bool zero;        // evaluates to 0
};

TEST_F(Evaluation, EndgameRecognisers) {
    const std::vector<DrawCase> cases = {
        // Rook pawn whose bishop does not cover the queening square: the corner holds. A knight
        // checks the king out of it (mate in 18 from the third position), and so does a bishop
        // of the queening square's colour.
        {"k7/8/8/8/P7/8/8/2B1K3 w - - 0 1", DEAD_DRAW, true},
        {"7k/8/8/7P/8/8/8/4K1N1 w - - 0 1", -1, false},
        {"1k6/8/7K/P7/1N6/8/8/8 b - - 0 1", -1, false},
        {"k7/8/8/8/P7/8/8/1B2K3 w - - 0 1", -1, false},
        // A bare king to move with nowhere to go is stalemated; one in check is mated.
        {"k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", DEAD_DRAW, true},
        {"k7/2Q5/1K6/8/8/8/8/8 w - - 0 1", 0, false},
        {"k7/1Q6/1K6/8/8/8/8/8 b - - 0 1", 0, false},
        // Even material: dead without pawns, still alive with them.
        {"4k3/r7/8/8/8/8/R7/4K3 w - - 0 1", DEAD_DRAW, true},
        {"8/5k2/8/p7/8/8/5PK1/8 w - - 0 1", 5, false},
        // Against pawns alone two pawns up is scaled as drawish; a piece up, or three pawns up,
        // with a pawn left to queen is not.
        {"8/5k2/8/8/8/8/4PPK1/8 w - - 0 1", 5, false},
        {"8/5p2/2k5/4Kb1p/8/6P1/7P/8 b - - 1 1", 0, false},
        {"8/5k2/8/8/8/8/3PPPK1/8 w - - 0 1", 0, false},
        // Bishops of opposite colours, two pawns up.
        {"4k3/8/8/3b4/8/8/3PP3/2B1K3 w - - 0 1", 4, false},
    };
    for (const DrawCase& c : cases) {
        const int score = eval(position_from_fen(c.fen));
        if (c.drawishness < 0) EXPECT_LT(info.drawishness, DEAD_DRAW) << c.fen;
        else EXPECT_EQ(std::min(info.drawishness, DEAD_DRAW), c.drawishness) << c.fen;
        EXPECT_EQ(score == 0, c.zero) << c.fen;
    }
}

// The passer term of each position of a pair, the first one's larger.
TEST_F(Evaluation, PasserTermFollowsSupportKingsAndRooks) {
    const std::vector<std::pair<const char*, const char*>> pairs = {
        // Defended from c5 rather than standing apart on c4.
        {"4k3/8/3P4/2P5/8/8/8/4K3 w - - 0 1", "4k3/8/3P4/8/2P5/8/8/4K3 w - - 0 1"},
        // The enemy king far from the pawn's path rather than in front of it.
        {"7k/8/8/3P4/8/8/8/4K3 w - - 0 1", "3k4/8/8/3P4/8/8/8/4K3 w - - 0 1"},
        // The own rook behind the pawn rather than the enemy's.
        {"4k3/8/8/3P4/8/8/8/3RK2r w - - 0 1", "4k3/8/8/3P4/8/8/8/3rK2R w - - 0 1"},
        // Free to advance rather than blocked.
        {"4k3/8/8/3P4/8/8/8/4K3 w - - 0 1", "4k3/8/3n4/3P4/8/8/8/4K3 w - - 0 1"},
    };
    for (auto [better, worse] : pairs) {
        const Position a = position_from_fen(better), b = position_from_fen(worse);
        eval(a);
        const int first = passer_term(a, info);
        eval(b);
        EXPECT_GT(first, passer_term(b, info)) << better;
    }
}

TEST_F(Evaluation, SecondCallHitsTheKingHashAndAKingMoveFallsBackOnThePawnHash) {
    Position p = position_from_fen("4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - - 0 1");
    eval(p);
    EXPECT_EQ(stats.khash_probes, 1u);
    EXPECT_EQ(stats.khash_hits, 0u);
    EXPECT_EQ(stats.phash_probes, 1u);
    EXPECT_EQ(stats.phash_hits, 0u);
    eval(p);
    EXPECT_EQ(stats.khash_probes, 2u);
    EXPECT_EQ(stats.khash_hits, 1u);
    EXPECT_EQ(stats.phash_probes, 1u);

    make_move(p, make_move_value(4, 3, WKING));  // Ke1-d1
    eval(p);
    EXPECT_EQ(stats.khash_probes, 3u);
    EXPECT_EQ(stats.khash_hits, 1u);
    EXPECT_EQ(stats.phash_probes, 2u);
    EXPECT_EQ(stats.phash_hits, 1u);
    eval(p);
    EXPECT_EQ(stats.khash_hits, 2u);
}

TEST_F(Evaluation, PawnlessBoardsNeverTakeACleanPawnHashEntry) {
    // Their pawn key is 0, the key every cleared entry carries.
    Position p = position_from_fen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    eval(p);
    make_move(p, make_move_value(4, 5, WKING));
    eval(p);
    EXPECT_EQ(stats.phash_probes, 2u);
    EXPECT_EQ(stats.phash_hits, 0u);
    EXPECT_EQ(stats.khash_hits, 0u);
}

TEST_F(Evaluation, CachesSizedToNothingAlwaysMiss) {
    king_hash.release();
    pawn_hash.release();
    const Position p = position_from_fen("1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1");
    const int first = eval(p);
    EXPECT_EQ(eval(p), first);
    EXPECT_EQ(stats.khash_probes, 2u);
    EXPECT_EQ(stats.phash_probes, 2u);
    EXPECT_EQ(stats.khash_hits + stats.phash_hits, 0u);
}

TEST_F(Evaluation, PerCallDataFromPawnsAndPieces) {
    eval(start_position());
    for (int c : {BLACK, WHITE}) EXPECT_EQ(info.attack_material[c], 3 + 3 * 3 + 2 * 4);
    EXPECT_EQ(info.king_attack[BLACK], info.king_attack[WHITE]);
    EXPECT_EQ(info.king_safety[BLACK], info.king_safety[WHITE]);
    EXPECT_EQ(info.attacks[WHITE][PAWN], rank_mask(2));
    EXPECT_EQ(info.attacks[BLACK][PAWN], rank_mask(5));
    EXPECT_EQ(info.pawn_safe[WHITE], ~rank_mask(5));
    EXPECT_EQ(info.front_span[WHITE], 0xFFFFFFFFFFFF0000ull);
    EXPECT_EQ(info.front_span[BLACK], 0x0000FFFFFFFFFFFFull);

    // A queen alone does not make an attack: the flag needs a second piece, and where no attack
    // is judged no danger is computed.
    eval(position_from_fen("3qk3/8/8/8/8/8/8/Q3K2R w - - 0 1"));
    EXPECT_EQ(info.king_attack[BLACK], 0);
    EXPECT_EQ(info.attack_material[WHITE], 3 + 3 * 2);
}

// The board ranks of a FEN, rank 8 first, and its other fields.
struct FenParts {
    std::vector<std::string> ranks;
    std::string turn, castling, ep, rest;
};

FenParts split_fen(const std::string& fen) {
    std::vector<std::string> words = split_words(fen);
    FenParts parts;
    std::string board = words[0];
    for (size_t start = 0, end; start <= board.size(); start = end + 1) {
        end = std::min(board.find('/', start), board.size());
        parts.ranks.push_back(board.substr(start, end - start));
    }
    parts.turn = words[1], parts.castling = words[2], parts.ep = words[3];
    for (size_t i = 4; i < words.size(); ++i) parts.rest += " " + words[i];
    return parts;
}

std::string join_fen(const FenParts& parts) {
    std::string board;
    for (const std::string& rank : parts.ranks) board += (board.empty() ? "" : "/") + rank;
    return board + " " + parts.turn + " " + parts.castling + " " + parts.ep + parts.rest;
}

std::string swap_case(std::string text) {
    for (char& c : text) c = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
    return text;
}

// The board turned upside down with the colours swapped: the same game seen from the other side.
Position colour_flipped(const Position& p) {
    FenParts parts = split_fen(fen_of(p));
    std::reverse(parts.ranks.begin(), parts.ranks.end());
    for (std::string& rank : parts.ranks) rank = swap_case(rank);
    parts.turn = parts.turn == "w" ? "b" : "w";
    if (parts.castling != "-") {
        std::string flipped;
        for (char right : std::string("KQkq"))
            if (swap_case(parts.castling).find(right) != std::string::npos) flipped += right;
        parts.castling = flipped;
    }
    if (parts.ep != "-") parts.ep[1] = parts.ep[1] == '3' ? '6' : '3';
    return position_from_fen(join_fen(parts));
}

// The board seen in a mirror standing on the a- or h-file.
Position left_right_mirrored(const Position& p) {
    FenParts parts = split_fen(fen_of(p));
    for (std::string& rank : parts.ranks) std::reverse(rank.begin(), rank.end());
    if (parts.ep != "-") parts.ep[0] = char('a' + 'h' - parts.ep[0]);
    return position_from_fen(join_fen(parts));
}

TEST_F(Evaluation, MirroredPositionsEvaluateAlike) {
    int compared = 0;
    auto compare = [&](const Position& p) {
        const int score = eval(p);
        EXPECT_EQ(eval(colour_flipped(p)), score) << fen_of(p);
        if (p.castle_flags == 0) {
            EXPECT_EQ(eval(left_right_mirrored(p)), score) << fen_of(p);
        }
        ++compared;
    };
    for (const char* fen : bench_positions()) compare(position_from_fen(fen));
    for_each_corpus_position([&](Position& p) { compare(p); });
    EXPECT_GT(compared, 1000);
}

TEST(EvalSteps, FinalScaleAndClamp) {
    const std::vector<std::pair<int, int>> clamps = {
        {9500, 9499}, {-9500, -9499}, {9499, 9499}, {-9499, -9499}, {0, 0}, {20000, 9499}};
    for (auto [in, out] : clamps) EXPECT_EQ(clamp_eval(in), out) << in;
    // 116/128 rounds towards zero, so a dead draw's ±1 becomes 0.
    const std::vector<std::pair<int, int>> scales = {
        {1, 0}, {-1, 0}, {128, 116}, {-129, -116}, {10472, 9490}, {10600, 9499}, {-10600, -9499}};
    for (auto [in, out] : scales) EXPECT_EQ(final_scale(in), out) << in;
}

TEST(EvalSteps, PhaseBlendRoundsTowardsZero) {
    struct Case { int mg, eg, phase, blended; };
    const std::vector<Case> cases = {
        {10, 20, 128, 10}, {10, 20, 0, 20}, {10, 20, 64, 15}, {1, 2, 32, 1},
        {-3, 0, 64, -1}, {180, 60, 96, 150}};
    for (const Case& c : cases) EXPECT_EQ(blend_phase(c.mg, c.eg, c.phase), c.blended);
}

TEST_F(Evaluation, PhaseFollowsQueensAndPieces) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1", 128},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0},
        {"2bqk2r/8/8/8/8/8/8/2BQK2R w - - 0 1", 0},        // (2 + 6) / 2 = 4
        {"r1bqk2r/8/8/8/8/8/8/R1BQK2R w - - 0 1", 32},     // (2 + 8) / 2 = 5
        {"rnb1kbnr/8/8/8/8/8/8/RNB1KBNR w - - 0 1", 64},   // 12 / 2 = 6
        // Promotions past the table's end still count as a full board.
        {"rnbqkbnr/qqqqqqqq/8/8/8/8/QQQQQQQQ/RNBQKBNR w - - 0 1", 128},
    };
    for (auto [fen, phase] : cases) EXPECT_EQ(game_phase(position_from_fen(fen)), phase) << fen;
}

TEST(EvalSteps, DrawCounterScalesTheScore) {
    struct Case { int score, drawishness, scaled; };
    const std::vector<Case> cases = {
        {500, 0, 500},    {500, -3, 500},  {500, 1, 453},   {80, 5, 40},
        {500, 2, 249},    {-500, 2, -249}, {-7, 3, -4},     {500, 17, 46},
        {500, 40, 46},    {500, 1023, 46}, {500, 1024, 1},  {-500, 5000, -1},
        {0, 1024, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(scale_by_drawishness(c.score, c.drawishness), c.scaled)
            << c.score << " at " << c.drawishness;
}

TEST(EvalSteps, AdvantageDampingAboveTheCeiling) {
    struct Case { int score, ceiling, damped; };
    const std::vector<Case> cases = {
        {1300, 1000, 1300}, {-5000, 1000, -5000}, {1300, 125, 713},
        {-1300, 125, -713}, {100, 125, 100},      {-60, 50, -55}};
    for (const Case& c : cases) EXPECT_EQ(damp_advantage(c.score, c.ceiling), c.damped);
}

}  // namespace
