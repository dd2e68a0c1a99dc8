#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/notation.h"
#include "board/result_text.h"
#include "common/score_text.h"
#include "common/settings.h"
#include "log_capture.h"
#include "tactics_positions.h"

namespace {

class NotationTest : public BoardTest {};

// Knights on b1 and f3 that both reach d2; in PINNED the b1 knight shields its king from h1.
constexpr const char* KNIGHTS = "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1";
constexpr const char* PINNED = "4k3/8/8/8/8/5N2/8/KN5r w - - 0 1";
constexpr const char* EP = "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3";
constexpr const char* NO_EP = "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3";
constexpr const char* CW = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* CB = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
constexpr const char* PROMO = "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1";
constexpr const char* CORNER = "4k3/8/8/8/8/8/1p6/4K3 b - - 0 1";
// Two white pawns on the e-file can take on the d-file: the lower one is meant.
constexpr const char* TWO_PAWNS = "4k3/8/3p4/4P3/3p4/4P3/8/4K3 w - - 0 1";

std::string text_of(const Position& p, Move move, int type) {
    char buffer[8];
    const int length = m_sprint(buffer, p, move, type);
    EXPECT_EQ(length, int(std::strlen(buffer)));
    return buffer;
}

// --- Reading moves ---------------------------------------------------------------------------

// Forms a writer never produces, choices between candidates, and failures; the written forms
// of every legal move (all promotions among them) are read back below. `move` is nullptr when
// the read fails with `code`; a failed read leaves the output alone, a successful one consumes
// the whole text.
TEST_F(NotationTest, ReadsEachFormToItsMove) {
    struct Case { const char* fen; const char* text; const char* move; int code = PARSE_OK; };
    const Case cases[] = {
        {KNIGHTS, "Nbd2", "b1d2"}, {KNIGHTS, "Nfd2", "f3d2"}, {KNIGHTS, "N1d2", "b1d2"},
        {KNIGHTS, "Nf3d2", "f3d2"}, {KNIGHTS, "Nd2", "b1d2"},
        {PINNED, "Nd2", "f3d2"}, {PINNED, "Nbd2", "b1d2"},  // one candidate: taken, pinned or not
        // Both knights that reach d3 are pinned: none is chosen, though either alone is taken.
        {"4k2b/8/8/8/8/8/1N6/K1N4r w - - 0 1", "Nd3", nullptr, PARSE_NO_PIECE},
        {"4k2b/8/8/8/8/8/1N6/K1N4r w - - 0 1", "Nbd3", "b2d3"},
        {EP, "exd6", "e5d6"}, {EP, "ed", "e5d6"}, {EP, "ed6", "e5d6"},
        {NO_EP, "exd6", nullptr, PARSE_NO_PIECE}, {NO_EP, "ed", nullptr, PARSE_NO_PIECE},
        {CW, "0-0-0", "e1c1"}, {CW, "O-O-O", "e1c1"}, {CW, "o-o-o", "e1c1"}, {CW, "0-0", "e1g1"},
        {CW, "O-O", "e1g1"}, {CW, "o-o", "e1g1"}, {CW, "O-O+", "e1g1"}, {CW, "Kg1", "e1g1"},
        {CB, "0-0-0", "e8c8"}, {CB, "O-O-O", "e8c8"}, {CB, "o-o-o", "e8c8"}, {CB, "0-0", "e8g8"},
        {CB, "O-O", "e8g8"}, {CB, "o-o", "e8g8"}, {PROMO, "b7b8Q", "b7b8q"}, {PROMO, "b8=Q", "b7b8q"},
        {PROMO, "b8=Q+", "b7b8q"}, {PROMO, "bxa8=N", "b7a8n"}, {PROMO, "ba8=N", "b7a8n"},
        {PROMO, "b7-b8=X", nullptr, PARSE_SYNTAX}, {PROMO, "b8=q", nullptr, PARSE_SYNTAX},
        {PROMO, "b8=K", nullptr, PARSE_SYNTAX}, {PROMO, "b8=", nullptr, PARSE_SYNTAX},
        {PROMO, "Ke2=Q", nullptr, PARSE_SYNTAX},
        // a1 is square 0, the value of "no en-passant square": an empty a1 is still nothing to take.
        {CORNER, "bxa1=Q", nullptr, PARSE_NO_PIECE}, {CORNER, "ba=Q", nullptr, PARSE_NO_PIECE},
        {CORNER, "b1=Q", "b2b1q"},
        {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e4", nullptr, PARSE_NO_PIECE},
        {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e3", nullptr, PARSE_NO_PIECE},
        {TWO_PAWNS, "ed", "e3d4"}, {TWO_PAWNS, "exd6", "e5d6"}, {TWO_PAWNS, "exd4", "e3d4"},
        {TWO_PAWNS, "eg", nullptr, PARSE_NO_PIECE}, {TWO_PAWNS, "ef", nullptr, PARSE_NO_PIECE},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        Move move = 0xDEADBEEF;
        int consumed = -1;
        EXPECT_EQ(parse_move(p, c.text, &consumed, &move), c.code) << c.fen << " " << c.text;
        EXPECT_EQ(move, c.move ? coord_move(p, c.move) : 0xDEADBEEF) << c.fen << " " << c.text;
        if (c.move) {
            EXPECT_EQ(consumed, int(std::strlen(c.text))) << c.text;
        }
    }
}

TEST_F(NotationTest, ParseCodesAndConsumedText) {
    Position p = start_position();
    struct Case {
        const char* text;
        int code;
        int consumed;  // on success
    };
    const Case cases[] = {
        {"", PARSE_END, 0},     {" \t", PARSE_END, 0},   {"Z4", PARSE_SYNTAX, 0},
        {"P e4", PARSE_SYNTAX, 0}, {"nf3", PARSE_SYNTAX, 0}, {"N", PARSE_SYNTAX, 0},
        {"Nf", PARSE_SYNTAX, 0},  {"Nx", PARSE_SYNTAX, 0},  {"Nxf", PARSE_SYNTAX, 0},
        {"Nf3x", PARSE_SYNTAX, 0}, {"N1", PARSE_SYNTAX, 0}, {"e", PARSE_SYNTAX, 0},
        {"ex", PARSE_SYNTAX, 0},  {"exd", PARSE_SYNTAX, 0}, {"e9", PARSE_SYNTAX, 0},
        {"O-", PARSE_SYNTAX, 0},  {";", PARSE_SYNTAX, 0},  {"Nf3-", PARSE_SYNTAX, 0},
        {"a3a4", PARSE_NO_PIECE, 0}, {"e2-", PARSE_NO_PIECE, 0}, {"e5", PARSE_NO_PIECE, 0},
        {"Nd2", PARSE_NO_PIECE, 0}, {"Rb1", PARSE_NO_PIECE, 0}, {"Ke2", PARSE_NO_PIECE, 0},
        {"Ne5", PARSE_NO_PIECE, 0}, {"Qd4", PARSE_NO_PIECE, 0}, {"exd3", PARSE_NO_PIECE, 0},
        {"e4e5", PARSE_NO_PIECE, 0},
        {"Nf3", PARSE_OK, 3},     {"Nf3+", PARSE_OK, 4},   {"Nf3#", PARSE_OK, 4},
        {"Nf3++", PARSE_OK, 4},   {"  e4 e5", PARSE_OK, 4}, {"e4;", PARSE_OK, 2},
        {"g1f3 b8c6", PARSE_OK, 4}, {"Ng1f3", PARSE_OK, 5}, {"Ngf3", PARSE_OK, 4},
        {"e2-e4+", PARSE_OK, 6},
    };
    for (const Case& c : cases) {
        int consumed = 0;
        EXPECT_EQ(parse_move(p, c.text, &consumed, nullptr), c.code) << '"' << c.text << '"';
        if (c.code == PARSE_OK) {
            EXPECT_EQ(consumed, c.consumed) << '"' << c.text << '"';
        }
    }
}

// Trial moves are taken back, the history slot they use is restored, and they need one.
TEST_F(NotationTest, TrialMovesLeaveNoTrace) {
    Position p = position_from_fen(PINNED);
    make_move(p, coord_move(p, "f3e5"));
    unmake_move(p);  // leaves a used history entry above the top
    const Position before = p;
    for (const char* text : {"Nd2", "Nbd2", "Nd4", "Kb2", "Kb2", "e4", "Nxh1", "O-O", "b1d2", "Zz"}) {
        parse_move(p, text, nullptr, nullptr);
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << text;
    }
    p.hist_top = HISTORY_SIZE - 1;
    EXPECT_EQ(parse_move(p, "Nd2", nullptr, nullptr), PARSE_NO_PIECE);
    EXPECT_EQ(parse_move(p, "Nfd2", nullptr, nullptr), PARSE_OK);
    // Black is in check with White to move: only a corrupt game gets here, and reading a move
    // must not capture the king in a trial.
    Position corrupt = position_from_fen("4k3/2N5/3N4/8/8/8/8/K7 b - - 0 1");
    corrupt.turn = WHITE;
    setup_from_board(corrupt);
    EXPECT_EQ(parse_move(corrupt, "Ne8", nullptr, nullptr), PARSE_NO_PIECE);
    EXPECT_EQ(parse_move(corrupt, "Nxe8", nullptr, nullptr), PARSE_NO_PIECE);
}

// --- Writing moves ---------------------------------------------------------------------------

// Each move written in SAN, the long form and coordinates (its `move` text), and read back from
// each.
TEST_F(NotationTest, WritesEachNotation) {
    struct Case { const char* fen; const char* move; const char* san; const char* long_form; };
    const Case cases[] = {
        {CW, "e1g1", "O-O", "Ke1-g1"}, {CW, "e1c1", "O-O-O", "Ke1-c1"}, {CB, "e8g8", "O-O", "Ke8-g8"},
        {CB, "e8c8", "O-O-O", "Ke8-c8"}, {CW, "a1a8", "Rxa8", "Ra1xa8"}, {EP, "e5d6", "exd6", "e5xd6"},
        {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", "e8=Q", "e7-e8=Q"},
        {"3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7d8n", "exd8=N", "e7xd8=N"},  // the longest
        // SAN names the file, else the rank, else both, of a piece that another of its kind
        // could replace; pins are not looked at, blocked pieces are.
        {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1d1", "Rad1", "Ra1-d1"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3", "Ra1-a3"},
        {KNIGHTS, "b1d2", "Nbd2", "Nb1-d2"},
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a1b2", "Qa1b2", "Qa1-b2"},
        {PINNED, "f3d2", "Nfd2", "Nf3-d2"},
        {"4k3/8/8/8/8/5N2/3r4/1N2K3 w - - 0 1", "b1d2", "Nbxd2", "Nb1xd2"},
        {"4k3/8/8/R7/8/N7/8/R3K3 w - - 0 1", "a1a2", "Ra2", "Ra1-a2"},
        {"r6r/3k4/8/8/8/8/8/4K3 b - - 0 1", "a8d8", "Rad8", "Ra8-d8"},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        const Move move = coord_move(p, c.move);
        for (const char* text : {c.san, c.long_form, c.move}) {
            const int type = text == c.san ? MTT_SAN : text == c.move ? MTT_COORD : MTT_LONG;
            EXPECT_EQ(text_of(p, move, type), text) << c.fen;
            Move read = 0;
            EXPECT_EQ(parse_move(p, text, nullptr, &read), PARSE_OK) << text;
            EXPECT_EQ(read, move) << c.fen << " " << text;
        }
    }
}

TEST_F(NotationTest, NullSkipAndMarkedMoves) {
    Position p = start_position();
    const Move nf3 = coord_move(p, "g1f3");
    for (int type : {MTT_SAN, MTT_LONG, MTT_COORD}) {
        EXPECT_EQ(text_of(p, NULL_MOVE, type), type == MTT_COORD ? "0000" : "NULL");
        EXPECT_EQ(text_of(p, SKIP_MOVE, type), "SKIP");
        const Move marked = nf3 | MOVE_SINGULAR_MARK | MOVE_MATE_MARK | 0x01000000u;
        EXPECT_EQ(text_of(p, marked, type), text_of(p, nf3, type));
    }
    EXPECT_EQ(text_of(p, MOVE_SINGULAR_MARK, MTT_LONG), "NULL");
    char buffer[8];
    for (int type : {3, -1})
        EXPECT_EXIT(m_sprint(buffer, p, nf3, type), ::testing::ExitedWithCode(1),
                    "Bad MTT in m_sprint\\(\\): " + std::to_string(type));
}

TEST_F(NotationTest, MoveTextRotatesEightBuffers) {
    Position p = start_position();
    std::vector<const char*> texts;
    for (int i = 0; i < 8; ++i) texts.push_back(move_text(coord_move(p, i % 2 ? "g1f3" : "e2e4")));
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_STREQ(texts[i], i % 2 ? "Ng1-f3" : "e2-e4");
        EXPECT_EQ(std::count(texts.begin(), texts.end(), texts[i]), 1);
    }
    EXPECT_EQ(move_text(NULL_MOVE), texts[0]);
    EXPECT_STREQ(texts[0], "NULL");
    EXPECT_STREQ(move_text(make_move_value(sq("e7"), sq("d8"), WPAWN, BROOK, WQUEEN) | MOVE_MATE_MARK),
                 "e7xd8=Q");
}

// --- Move lists ------------------------------------------------------------------------------

class MoveListTest : public NotationTest {
protected:
    void TearDown() override { print_singular_moves = enable_mate_extension = 0; }

    static std::string list(const Position& start, std::vector<Move> moves, int type, bool numbered) {
        char buffer[512];
        int length = write_move_list(buffer, start, moves.data(), int(moves.size()), type, numbered);
        EXPECT_EQ(length, int(std::strlen(buffer)));
        return buffer;
    }
};

// Moves in coordinates, each played before the next is read; "skip" stands for SKIP_MOVE.
std::vector<Move> played_line(Position p, const std::string& text) {
    std::vector<Move> moves;
    for (const std::string& word : split_words(text)) {
        moves.push_back(word == "skip" ? SKIP_MOVE : coord_move(p, word.c_str()));
        if (moves.back() != SKIP_MOVE) make_move(p, moves.back());
    }
    return moves;
}

TEST_F(MoveListTest, NumbersNotationsAndSkips) {
    constexpr const char* GAME = "e2e4 e7e5 g1f3 b8c6 f1b5";
    // Numbering starts at 1 whatever the game's move number.
    constexpr const char* BLACK_AT_7 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 7";
    struct Case { const char* fen; const char* moves; int type; bool numbered; const char* text; };
    const Case cases[] = {
        {START_FEN, GAME, MTT_SAN, true, "1. e4 e5 2. Nf3 Nc6 3. Bb5 "},
        {START_FEN, GAME, MTT_SAN, false, "e4 e5 Nf3 Nc6 Bb5 "},
        {START_FEN, GAME, MTT_LONG, true, "1. e2-e4 e7-e5 2. Ng1-f3 Nb8-c6 3. Bf1-b5 "},
        {START_FEN, GAME, MTT_COORD, false, "e2e4 e7e5 g1f3 b8c6 f1b5 "},
        {START_FEN, "", MTT_SAN, true, ""},
        {BLACK_AT_7, "e7e5 g1f3 b8c6", MTT_SAN, true, "1... e5 2. Nf3 Nc6 "},
        {BLACK_AT_7, "e7e5 g1f3 b8c6", MTT_COORD, true, "1... e7e5 2. g1f3 b8c6 "},
        // Only after Ra2 does the other rook reach h2 as well.
        {"4k3/8/8/8/8/8/8/R3K2R w - - 0 1", "a1a2 e8d7 h1h2", MTT_SAN, true, "1. Ra2 Kd7 2. Rhh2 "},
        {START_FEN, "e2e4 skip g1f3", MTT_SAN, true, "1. e4 2. Nf3 "},
        {START_FEN, "skip e7e5", MTT_COORD, true, "1... e7e5 "},
    };
    for (const Case& c : cases) {
        Position start = position_from_fen(c.fen);
        EXPECT_EQ(list(start, played_line(start, c.moves), c.type, c.numbered), c.text);
    }
}

TEST_F(MoveListTest, SearchMarksShowWithTheirOptions) {
    Position start = start_position();
    std::vector<Move> moves = moves_of(start, "e2e4 e7e5 g1f3");
    moves[0] |= MOVE_SINGULAR_MARK;
    moves[1] |= MOVE_MATE_MARK;
    moves[2] |= MOVE_SINGULAR_MARK | MOVE_MATE_MARK;
    struct Case { int singular, mate, type; const char* text; };
    const Case cases[] = {
        {0, 0, MTT_SAN, "1. e4 e5 2. Nf3 "},          {0, 1, MTT_SAN, "1. e4 e5 2. Nf3 "},
        {1, 1, MTT_SAN, "1. e4! e5[M] 2. Nf3![M] "},
        {1, 1, MTT_LONG, "1. e2-e4! e7-e5[M] 2. Ng1-f3![M] "},
        {1, 1, MTT_COORD, "1. e2e4 e7e5 2. g1f3 "},  {1, 0, MTT_SAN, "1. e4! e5 2. Nf3! "},
    };
    for (const Case& c : cases) {
        print_singular_moves = c.singular;
        enable_mate_extension = c.mate;
        EXPECT_EQ(list(start, moves, c.type, true), c.text);
    }
}

// --- Round trip over many positions ----------------------------------------------------------

// Every legal move, written in any of the three notations, reads back as itself without touching
// the position.
TEST_F(NotationTest, EveryLegalMoveReadsBackFromItsText) {
    int checked = 0;
    for_each_corpus_position([&](Position& p) {
        const std::vector<Move> moves = legal_moves(p);  // its trials may use the history
        const Position before = p;
        for (Move move : moves) {
            for (int type : {MTT_SAN, MTT_LONG, MTT_COORD}) {
                char text[8];
                int length = m_sprint(text, p, move, type), consumed = 0;
                Move read = 0;
                ASSERT_EQ(parse_move(p, text, &consumed, &read), PARSE_OK) << text;
                ASSERT_EQ(read, move) << text << " type " << type;
                ASSERT_EQ(consumed, length);
                ASSERT_EQ(std::memcmp(&p, &before, sizeof p), 0) << text;
                ++checked;
            }
        }
    });
    EXPECT_GT(checked, 20000);
}

// --- Results and scores ----------------------------------------------------------------------

TEST(ResultText, EveryCodeAndUnknownOnes) {
    struct Case { int code; const char* text; const char* short_form; int outcome; };
    const Case cases[] = {
        {0, "White wins", "1-0", 0},           {1, "Black wins", "0-1", 1},
        {2, "Draw", "1/2-1/2", 2},             {3, "Incomplete", "*", 3},
        {4, "Draw by repetition", "1/2-1/2", 2}, {5, "Draw by 50 move rule", "1/2-1/2", 2},
        {6, "Draw by lack of material", "1/2-1/2", 2}, {7, "Stalemate", "1/2-1/2", 2},
        {8, "White mates", "1-0", 0},          {9, "Black mates", "0-1", 1},
        {10, "White resigns", "0-1", 1},       {11, "Black resigns", "1-0", 0},
        {12, "White wins on time", "1-0", 0},  {13, "Black wins on time", "0-1", 1},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(result_text(c.code), c.text);
        EXPECT_STREQ(result_short(c.code), c.short_form);
        EXPECT_EQ(simplify_result(c.code), c.outcome);
    }
    // An unknown code is no result, and simplifying it is logged.
    capture_log();
    EXPECT_STREQ(result_text(14), "Incomplete");
    EXPECT_STREQ(result_text(-1), "Incomplete");
    EXPECT_EQ(logged([] {
                  EXPECT_STREQ(result_short(14), "*");
                  EXPECT_EQ(simplify_result(-3), RESULT_INCOMPLETE);
              }),
              "Unknown result to simplify!!\nUnknown result to simplify!!\n");
}

TEST(ScoreText, MatesPawnsCentipawnsAndPointOfView) {
    struct Case { int score; bool mate_form, as_pawns; int turn, pov; const char* text; };
    const Case cases[] = {
        {9999, true, true, WHITE, 0, "MAT1"},     {9997, true, true, WHITE, 0, "MAT2"},
        {-9998, true, true, WHITE, 0, "-MAT1"},   {-9996, true, false, WHITE, 0, "-MAT2"},
        {9501, true, false, WHITE, 0, "MAT250"},  {9500, true, false, WHITE, 0, "9500"},
        {-9500, true, true, WHITE, 0, "-95.00"},  {9999, false, true, WHITE, 0, "99.99"},
        {123, true, true, WHITE, 0, "1.23"},      {123, false, false, WHITE, 0, "123"},
        {0, true, true, WHITE, 0, "0.00"},        {-5, false, true, WHITE, 0, "-0.05"},
        {35, false, true, BLACK, 0, "-0.35"},     {35, false, false, BLACK, 0, "-35"},
        {-9998, true, true, BLACK, 0, "MAT1"},    {35, false, true, BLACK, 1, "0.35"},
        {35, false, false, BLACK, 1, "35"},       {-9998, true, true, BLACK, 1, "-MAT1"},
        {35, false, false, WHITE, 1, "35"},
    };
    for (const Case& c : cases) {
        scorepov = c.pov;
        EXPECT_STREQ(score_text(c.score, c.mate_form, c.as_pawns, c.turn), c.text) << c.score;
    }
    scorepov = 0;
    char buffer[32];
    EXPECT_EQ(count_text(buffer, 1234567890123LL), 13);
    EXPECT_STREQ(buffer, "1234567890123");
    count_text(buffer, -42);
    EXPECT_STREQ(buffer, "-42");
}

}  // namespace
