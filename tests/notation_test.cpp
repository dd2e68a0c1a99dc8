#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/notation.h"
#include "board/result_text.h"
#include "board_test_support.h"
#include "common/log.h"
#include "common/score_text.h"
#include "common/settings.h"
#include "tactics_positions.h"

namespace {

class NotationTest : public BoardTest {};

struct Parsed {
    int code;
    Move move;
    int consumed;
};

Parsed parse(Position& p, const char* text) {
    Parsed r{-1, 0xDEADBEEF, -1};
    r.code = parse_move(p, text, &r.consumed, &r.move);
    return r;
}

Move parsed_move(Position& p, const char* text) {
    Parsed r = parse(p, text);
    EXPECT_EQ(r.code, PARSE_OK) << text;
    EXPECT_EQ(r.consumed, int(std::strlen(text))) << text;
    return r.move;
}

std::string text_of(const Position& p, Move move, int type) {
    char buffer[8];
    int length = m_sprint(buffer, p, move, type);
    EXPECT_EQ(length, int(std::strlen(buffer)));
    return buffer;
}

// --- Reading moves ---------------------------------------------------------------------------

TEST_F(NotationTest, KnightChoiceByFileAndByPin) {
    Position free_knights = position_from_fen("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1");
    EXPECT_EQ(parsed_move(free_knights, "Nbd2"), board_move(free_knights, "b1", "d2"));
    EXPECT_EQ(parsed_move(free_knights, "Nfd2"), board_move(free_knights, "f3", "d2"));
    EXPECT_EQ(parsed_move(free_knights, "N1d2"), board_move(free_knights, "b1", "d2"));
    EXPECT_EQ(parsed_move(free_knights, "Nf3d2"), board_move(free_knights, "f3", "d2"));
    EXPECT_EQ(parsed_move(free_knights, "Nd2"), board_move(free_knights, "b1", "d2"));

    // The b1 knight shields its king from the rook on h1.
    Position pinned = position_from_fen("4k3/8/8/8/8/5N2/8/KN5r w - - 0 1");
    EXPECT_EQ(parsed_move(pinned, "Nd2"), board_move(pinned, "f3", "d2"));
    EXPECT_EQ(parse(pinned, "Nbd2").move, board_move(pinned, "b1", "d2"));  // one candidate: taken
    // Both knights that reach d3 are pinned: none is chosen, though either alone is taken.
    Position both_pinned = position_from_fen("4k2b/8/8/8/8/8/1N6/K1N4r w - - 0 1");
    EXPECT_EQ(parse(both_pinned, "Nd3").code, PARSE_NO_PIECE);
    EXPECT_EQ(parsed_move(both_pinned, "Nbd3"), board_move(both_pinned, "b2", "d3"));
}

TEST_F(NotationTest, EnPassantForms) {
    Position p = position_from_fen("rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3");
    const Move ep = make_move_value(36, 43, WPAWN);
    EXPECT_TRUE(is_en_passant(ep));
    EXPECT_EQ(parsed_move(p, "exd6"), ep);
    EXPECT_EQ(parsed_move(p, "ed"), ep);
    EXPECT_EQ(parsed_move(p, "ed6"), ep);
    EXPECT_EQ(parsed_move(p, "e5d6"), ep);
    EXPECT_EQ(parsed_move(p, "e5xd6"), ep);
    // Without the en-passant right the diagonal step takes nothing.
    Position no_ep = position_from_fen("rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3");
    EXPECT_EQ(parse(no_ep, "exd6").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(no_ep, "ed").code, PARSE_NO_PIECE);
}

TEST_F(NotationTest, CastlingForms) {
    Position white = position_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    Position black = position_from_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    for (const char* text : {"0-0-0", "O-O-O", "o-o-o"}) {
        EXPECT_EQ(parsed_move(white, text), CASTLE_WQ) << text;
        EXPECT_EQ(parsed_move(black, text), CASTLE_BQ) << text;
    }
    for (const char* text : {"0-0", "O-O", "o-o", "O-O+"}) {
        EXPECT_EQ(parsed_move(white, text), CASTLE_WK) << text;
        EXPECT_EQ(parsed_move(black, text), CASTLE_BK) << text;
    }
    EXPECT_EQ(parsed_move(white, "e1g1"), CASTLE_WK);
    EXPECT_EQ(parsed_move(white, "e1c1"), CASTLE_WQ);
    EXPECT_EQ(parsed_move(black, "e8g8"), CASTLE_BK);
    EXPECT_EQ(parsed_move(white, "Kg1"), CASTLE_WK);
    EXPECT_EQ(CASTLE_WK, 53510u);
}

TEST_F(NotationTest, PromotionForms) {
    Position p = position_from_fen("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const Move queen = board_move(p, "b7", "b8", WQUEEN), knight_takes = board_move(p, "b7", "a8", WKNIGHT);
    EXPECT_EQ(parsed_move(p, "b7b8q"), queen);
    EXPECT_EQ(parsed_move(p, "b7b8Q"), queen);
    EXPECT_EQ(parsed_move(p, "b8=Q"), queen);
    EXPECT_EQ(parsed_move(p, "b8=Q+"), queen);
    EXPECT_EQ(parsed_move(p, "b7a8n"), knight_takes);
    EXPECT_EQ(parsed_move(p, "bxa8=N"), knight_takes);
    EXPECT_EQ(parsed_move(p, "ba8=N"), knight_takes);
    EXPECT_EQ(parsed_move(p, "b8=R"), board_move(p, "b7", "b8", WROOK));
    EXPECT_EQ(parsed_move(p, "b8=B"), board_move(p, "b7", "b8", WBISHOP));
    EXPECT_EQ(parsed_move(p, "b7-b8=Q"), queen);
    EXPECT_EQ(parsed_move(p, "b7xa8=N"), knight_takes);
    EXPECT_EQ(parse(p, "b7-b8=X").code, PARSE_SYNTAX);
    EXPECT_EQ(parse(p, "b8=q").code, PARSE_SYNTAX);
    EXPECT_EQ(parse(p, "b8=K").code, PARSE_SYNTAX);
    EXPECT_EQ(parse(p, "b8=").code, PARSE_SYNTAX);
    EXPECT_EQ(parse(p, "Ke2=Q").code, PARSE_SYNTAX);
    Position black = position_from_fen("4k3/8/8/8/8/8/6p1/4K2R b - - 0 1");
    EXPECT_EQ(parsed_move(black, "gxh1=Q"), board_move(black, "g2", "h1", BQUEEN));
    EXPECT_EQ(parsed_move(black, "g2g1r"), board_move(black, "g2", "g1", BROOK));
    // a1 is square 0, the value of "no en-passant square": an empty a1 is still nothing to take.
    Position corner = position_from_fen("4k3/8/8/8/8/8/1p6/4K3 b - - 0 1");
    EXPECT_EQ(parse(corner, "bxa1=Q").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(corner, "ba=Q").code, PARSE_NO_PIECE);
    EXPECT_EQ(parsed_move(corner, "b1=Q"), board_move(corner, "b2", "b1", BQUEEN));
}

TEST_F(NotationTest, PawnPushesAndFileCaptures) {
    Position start = start_position();
    EXPECT_EQ(parsed_move(start, "e4"), board_move(start, "e2", "e4"));
    EXPECT_EQ(parsed_move(start, "e3"), board_move(start, "e2", "e3"));
    EXPECT_EQ(parsed_move(start, "e2e4"), board_move(start, "e2", "e4"));
    EXPECT_EQ(parsed_move(start, "e2-e4"), board_move(start, "e2", "e4"));
    EXPECT_EQ(parsed_move(start, "Ng1-f3"), board_move(start, "g1", "f3"));
    EXPECT_EQ(parsed_move(start, "Nf3"), board_move(start, "g1", "f3"));
    EXPECT_EQ(parsed_move(start, "Nc3"), board_move(start, "b1", "c3"));
    EXPECT_EQ(parse(start, "e5").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(start, "Nd2").code, PARSE_NO_PIECE);  // own pawn there
    EXPECT_EQ(parse(start, "Ke2").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(start, "Ne5").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(start, "Qd4").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(start, "exd3").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(start, "e4e5").code, PARSE_NO_PIECE);

    Position black = position_from_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    EXPECT_EQ(parsed_move(black, "e5"), board_move(black, "e7", "e5"));
    EXPECT_EQ(parsed_move(black, "d6"), board_move(black, "d7", "d6"));
    EXPECT_EQ(parsed_move(black, "Nf6"), board_move(black, "g8", "f6"));

    Position blocked = position_from_fen("4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1");
    EXPECT_EQ(parse(blocked, "e4").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(blocked, "e3").code, PARSE_NO_PIECE);

    // Two pawns on the e-file can take on the d-file: the lower one is meant.
    Position two = position_from_fen("4k3/8/3p4/4P3/3p4/4P3/8/4K3 w - - 0 1");
    EXPECT_EQ(parsed_move(two, "ed"), board_move(two, "e3", "d4"));
    EXPECT_EQ(parsed_move(two, "exd6"), board_move(two, "e5", "d6"));
    EXPECT_EQ(parsed_move(two, "exd4"), board_move(two, "e3", "d4"));
    EXPECT_EQ(parse(two, "eg").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(two, "ef").code, PARSE_NO_PIECE);
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
        {"O-", PARSE_SYNTAX, 0},  {";", PARSE_SYNTAX, 0},
        {"a3a4", PARSE_NO_PIECE, 0},
        {"Nf3", PARSE_OK, 3},     {"Nf3+", PARSE_OK, 4},   {"Nf3#", PARSE_OK, 4},
        {"Nf3++", PARSE_OK, 4},   {"  e4 e5", PARSE_OK, 4}, {"e4;", PARSE_OK, 2},
        {"g1f3 b8c6", PARSE_OK, 4}, {"Ng1f3", PARSE_OK, 5}, {"Ngf3", PARSE_OK, 4},
        {"Nf3-", PARSE_SYNTAX, 0}, {"e2-", PARSE_NO_PIECE, 0}, {"e2-e4+", PARSE_OK, 6},
    };
    for (const Case& c : cases) {
        Parsed r = parse(p, c.text);
        EXPECT_EQ(r.code, c.code) << '"' << c.text << '"';
        if (c.code == PARSE_OK) {
            EXPECT_EQ(r.consumed, c.consumed) << '"' << c.text << '"';
        } else {
            EXPECT_EQ(r.move, 0xDEADBEEFu) << "a failed read leaves the output alone";
        }
    }
    Move move = 0;
    EXPECT_EQ(parse_move(p, "e4", nullptr, &move), PARSE_OK);
    EXPECT_EQ(parse_move(p, "e4", nullptr, nullptr), PARSE_OK);
}

// Trial moves are taken back, and the history slot they used is restored.
TEST_F(NotationTest, ReadingLeavesThePositionUnchanged) {
    Position p = position_from_fen("4k3/8/8/8/8/5N2/8/KN5r w - - 0 1");
    make_move(p, board_move(p, "f3", "g5"));
    make_move(p, board_move(p, "e8", "d8"));
    make_move(p, board_move(p, "g5", "f3"));
    make_move(p, board_move(p, "d8", "e8"));
    make_move(p, board_move(p, "f3", "e5"));
    unmake_move(p);  // leaves a used history entry above the top
    Position before = p;
    for (const char* text : {"Nd2", "Nbd2", "Nd4", "Kb2", "Kb2", "e4", "Nxh1", "O-O", "b1d2", "Zz"}) {
        parse_move(p, text, nullptr, nullptr);
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << text;
    }
}

TEST_F(NotationTest, TrialsNeedAFreeHistorySlot) {
    Position p = position_from_fen("4k3/8/8/8/8/5N2/8/KN5r w - - 0 1");
    p.hist_top = HISTORY_SIZE - 1;
    EXPECT_EQ(parse(p, "Nd2").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(p, "Nfd2").code, PARSE_OK);
}

TEST_F(NotationTest, NoMoveLandsOnAKingOrAnOwnPiece) {
    // Black is in check with White to move: only a corrupt game gets here, and reading a move
    // must not capture the king in a trial.
    Position p;
    reset_position(p);
    std::memset(p.board, 0, sizeof p.board);
    p.board[sq("e8")] = BKING;
    p.board[sq("a1")] = WKING;
    p.board[sq("c7")] = WKNIGHT;
    p.board[sq("d6")] = WKNIGHT;
    p.castle_flags = 0;
    setup_from_board(p);
    EXPECT_EQ(parse(p, "Ne8").code, PARSE_NO_PIECE);
    EXPECT_EQ(parse(p, "Nxe8").code, PARSE_NO_PIECE);
    Position start = start_position();
    EXPECT_EQ(parse(start, "Rb1").code, PARSE_NO_PIECE);
}

// --- Writing moves ---------------------------------------------------------------------------

TEST_F(NotationTest, ThreeNotations) {
    Position castling = position_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(text_of(castling, CASTLE_WK, MTT_SAN), "O-O");
    EXPECT_EQ(text_of(castling, CASTLE_WK, MTT_LONG), "Ke1-g1");
    EXPECT_EQ(text_of(castling, CASTLE_WK, MTT_COORD), "e1g1");
    EXPECT_EQ(text_of(castling, CASTLE_WQ, MTT_SAN), "O-O-O");
    EXPECT_EQ(text_of(castling, CASTLE_BK, MTT_SAN), "O-O");
    EXPECT_EQ(text_of(castling, CASTLE_BQ, MTT_SAN), "O-O-O");
    EXPECT_EQ(text_of(castling, board_move(castling, "a1", "a8"), MTT_SAN), "Rxa8");
    EXPECT_EQ(text_of(castling, board_move(castling, "a1", "a8"), MTT_LONG), "Ra1xa8");

    Position start = start_position();
    const Move nf3 = board_move(start, "g1", "f3");
    EXPECT_EQ(text_of(start, nf3, MTT_SAN), "Nf3");
    EXPECT_EQ(text_of(start, nf3, MTT_LONG), "Ng1-f3");
    EXPECT_EQ(text_of(start, nf3, MTT_COORD), "g1f3");
    EXPECT_EQ(text_of(start, board_move(start, "e2", "e4"), MTT_SAN), "e4");
    EXPECT_EQ(text_of(start, board_move(start, "e2", "e4"), MTT_LONG), "e2-e4");

    Position ep = position_from_fen("rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3");
    const Move exd6 = make_move_value(36, 43, WPAWN);
    EXPECT_EQ(text_of(ep, exd6, MTT_SAN), "exd6");
    EXPECT_EQ(text_of(ep, exd6, MTT_LONG), "e5xd6");
    EXPECT_EQ(text_of(ep, exd6, MTT_COORD), "e5d6");

    Position promo = position_from_fen("3rk3/4P3/8/8/8/8/8/4K3 w - - 0 1");
    promo.board[sq("e8")] = EMPTY;  // only the texts matter here
    const Move push = make_move_value(sq("e7"), sq("e8"), WPAWN, EMPTY, WQUEEN);
    const Move take = make_move_value(sq("e7"), sq("d8"), WPAWN, BROOK, WKNIGHT);
    EXPECT_EQ(text_of(promo, push, MTT_SAN), "e8=Q");
    EXPECT_EQ(text_of(promo, push, MTT_LONG), "e7-e8=Q");
    EXPECT_EQ(text_of(promo, push, MTT_COORD), "e7e8q");
    EXPECT_EQ(text_of(promo, take, MTT_SAN), "exd8=N");
    EXPECT_EQ(text_of(promo, take, MTT_LONG), "e7xd8=N");  // the longest text: 7 + terminator
    EXPECT_EQ(text_of(promo, take, MTT_COORD), "e7d8n");
}

TEST_F(NotationTest, NullSkipAndMarkedMoves) {
    Position p = start_position();
    EXPECT_EQ(text_of(p, NULL_MOVE, MTT_SAN), "NULL");
    EXPECT_EQ(text_of(p, NULL_MOVE, MTT_LONG), "NULL");
    EXPECT_EQ(text_of(p, NULL_MOVE, MTT_COORD), "0000");
    for (int type : {MTT_SAN, MTT_LONG, MTT_COORD}) EXPECT_EQ(text_of(p, SKIP_MOVE, type), "SKIP");
    const Move marked = board_move(p, "g1", "f3") | MOVE_SINGULAR_MARK | MOVE_MATE_MARK | 0x01000000u;
    EXPECT_EQ(text_of(p, marked, MTT_SAN), "Nf3");
    EXPECT_EQ(text_of(p, marked, MTT_LONG), "Ng1-f3");
    EXPECT_EQ(text_of(p, marked, MTT_COORD), "g1f3");
    EXPECT_EQ(text_of(p, MOVE_SINGULAR_MARK, MTT_LONG), "NULL");
}

TEST_F(NotationTest, SanDisambiguation) {
    struct Case {
        const char* fen;
        const char* from;
        const char* to;
        const char* san;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1", "d1", "Rad1"},         // shares the rank
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1", "a3", "R1a3"},         // shares the file
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1", "d2", "Nbd2"},       // shares neither
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a1", "b2", "Qa1b2"},      // shares both
        {"4k3/8/8/8/8/5N2/8/KN5r w - - 0 1", "f3", "d2", "Nfd2"},        // pins are not looked at
        {"4k3/8/8/8/8/5N2/3r4/1N2K3 w - - 0 1", "b1", "d2", "Nbxd2"},
        {"4k3/8/8/R7/8/N7/8/R3K3 w - - 0 1", "a1", "a2", "Ra2"},          // the other is blocked
        {"4k3/8/8/8/8/5N2/8/4K3 w - - 0 1", "f3", "d2", "Nd2"},
        {"r6r/3k4/8/8/8/8/8/4K3 b - - 0 1", "a8", "d8", "Rad8"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1", "e2", "Ke2"},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        Move move = board_move(p, c.from, c.to);
        EXPECT_EQ(text_of(p, move, MTT_SAN), c.san) << c.fen;
        EXPECT_EQ(parsed_move(p, c.san), move) << c.fen;
    }
}

TEST_F(NotationTest, UnknownTypeEndsTheProcess) {
    Position p = start_position();
    char buffer[8];
    EXPECT_EXIT(m_sprint(buffer, p, board_move(p, "e2", "e4"), 3), ::testing::ExitedWithCode(1),
                "Bad MTT in m_sprint\\(\\): 3");
    EXPECT_EXIT(m_sprint(buffer, p, board_move(p, "e2", "e4"), -1), ::testing::ExitedWithCode(1),
                "Bad MTT in m_sprint\\(\\): -1");
}

TEST_F(NotationTest, MoveTextRotatesEightBuffers) {
    Position p = start_position();
    const Move e4 = board_move(p, "e2", "e4"), nf3 = board_move(p, "g1", "f3");
    const char* first = move_text(e4);
    std::vector<const char*> texts = {first};
    for (int i = 1; i < 8; ++i) texts.push_back(move_text(i % 2 ? nf3 : e4));
    for (int i = 0; i < 8; ++i) {
        EXPECT_STREQ(texts[size_t(i)], i % 2 ? "Ng1-f3" : "e2-e4");
        for (int j = 0; j < i; ++j) EXPECT_NE(texts[size_t(i)], texts[size_t(j)]);
    }
    EXPECT_EQ(move_text(NULL_MOVE), first);
    EXPECT_STREQ(first, "NULL");
    EXPECT_STREQ(move_text(SKIP_MOVE), "SKIP");
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

TEST_F(MoveListTest, NumbersAndNotations) {
    Position start = start_position();
    const std::vector<Move> game = {
        make_move_value(12, 28, WPAWN), make_move_value(52, 36, BPAWN), make_move_value(6, 21, WKNIGHT),
        make_move_value(57, 42, BKNIGHT), make_move_value(5, 33, WBISHOP)};
    EXPECT_EQ(list(start, game, MTT_SAN, true), "1. e4 e5 2. Nf3 Nc6 3. Bb5 ");
    EXPECT_EQ(list(start, game, MTT_SAN, false), "e4 e5 Nf3 Nc6 Bb5 ");
    EXPECT_EQ(list(start, game, MTT_LONG, true), "1. e2-e4 e7-e5 2. Ng1-f3 Nb8-c6 3. Bf1-b5 ");
    EXPECT_EQ(list(start, game, MTT_COORD, false), "e2e4 e7e5 g1f3 b8c6 f1b5 ");
    EXPECT_EQ(list(start, {}, MTT_SAN, true), "");

    // Numbering starts at 1 whatever the game's move number.
    Position black = position_from_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 7");
    const std::vector<Move> reply = {make_move_value(52, 36, BPAWN), make_move_value(6, 21, WKNIGHT),
                                     make_move_value(57, 42, BKNIGHT)};
    EXPECT_EQ(list(black, reply, MTT_SAN, true), "1... e5 2. Nf3 Nc6 ");
    EXPECT_EQ(list(black, reply, MTT_COORD, true), "1... e7e5 2. g1f3 b8c6 ");
}

TEST_F(MoveListTest, SanFollowsThePositionAlongTheList) {
    // Only after Ra2 does the other rook reach h2 as well.
    Position start = position_from_fen("4k3/8/8/8/8/8/8/R3K2R w - - 0 1");
    const std::vector<Move> moves = {make_move_value(sq("a1"), sq("a2"), WROOK),
                                     make_move_value(sq("e8"), sq("d7"), BKING),
                                     make_move_value(sq("h1"), sq("h2"), WROOK)};
    EXPECT_EQ(list(start, moves, MTT_SAN, true), "1. Ra2 Kd7 2. Rhh2 ");
    EXPECT_EQ(text_of(start, moves[2], MTT_SAN), "Rh2");
}

TEST_F(MoveListTest, SkippedMovesStillCount) {
    Position start = start_position();
    const std::vector<Move> moves = {make_move_value(12, 28, WPAWN), SKIP_MOVE, make_move_value(6, 21, WKNIGHT)};
    EXPECT_EQ(list(start, moves, MTT_SAN, true), "1. e4 2. Nf3 ");
    const std::vector<Move> opening_skip = {SKIP_MOVE, make_move_value(52, 36, BPAWN)};
    EXPECT_EQ(list(start, opening_skip, MTT_COORD, true), "1... e7e5 ");
}

TEST_F(MoveListTest, SearchMarks) {
    Position start = start_position();
    const std::vector<Move> moves = {make_move_value(12, 28, WPAWN) | MOVE_SINGULAR_MARK,
                                     make_move_value(52, 36, BPAWN) | MOVE_MATE_MARK,
                                     make_move_value(6, 21, WKNIGHT) | MOVE_SINGULAR_MARK | MOVE_MATE_MARK};
    EXPECT_EQ(list(start, moves, MTT_SAN, true), "1. e4 e5 2. Nf3 ");
    enable_mate_extension = 1;
    EXPECT_EQ(list(start, moves, MTT_SAN, true), "1. e4 e5 2. Nf3 ");
    print_singular_moves = 1;
    EXPECT_EQ(list(start, moves, MTT_SAN, true), "1. e4! e5[M] 2. Nf3![M] ");
    EXPECT_EQ(list(start, moves, MTT_LONG, false), "e2-e4! e7-e5[M] Ng1-f3![M] ");
    EXPECT_EQ(list(start, moves, MTT_COORD, false), "e2e4 e7e5 g1f3 ");
    enable_mate_extension = 0;
    EXPECT_EQ(list(start, moves, MTT_SAN, true), "1. e4! e5 2. Nf3! ");
}

// --- Round trips over many positions ---------------------------------------------------------

// Every legal move, written in any of the three notations, reads back as itself without touching
// the position.
TEST_F(NotationTest, EveryLegalMoveReadsBackFromItsText) {
    int checked = 0;
    for_each_corpus_position([&](Position& p) {
        const std::vector<Move> moves = legal_moves(p);
        const Position before = p;
        for (Move move : moves) {
            for (int type : {MTT_SAN, MTT_LONG, MTT_COORD}) {
                char text[8];
                int length = m_sprint(text, p, move, type);
                Move read = 0;
                int consumed = 0;
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

// The best moves of the tactics suite are legal moves.
TEST_F(NotationTest, SuiteBestMovesAreLegal) {
    std::ifstream in(WAC_PATH);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        Position p;
        Move moves[MAX_BM_MOVES];
        int count = 0;
        ASSERT_EQ(read_fen(p, line.c_str(), nullptr, moves, &count), PARSE_OK);
        EXPECT_GE(count, 1) << line;
        for (int i = 0; i < count; ++i) EXPECT_TRUE(is_legal_move(p, moves[i])) << line;
    }
    EXPECT_EQ(lines, 300);
}

// Positions met in games write a FEN that reads back as the same position.
TEST_F(NotationTest, PlayedPositionsRoundTripThroughFen) {
    for_each_corpus_position([](Position& p) {
        char fen[100];
        write_fen(fen, p);
        Position read;
        ASSERT_EQ(read_fen(read, fen), PARSE_OK) << fen;
        EXPECT_EQ(std::memcmp(&read, &p, offsetof(Position, board)), 0) << fen;
        EXPECT_EQ(std::memcmp(read.board, p.board, sizeof p.board), 0) << fen;
        EXPECT_EQ(read.king_sq[WHITE], p.king_sq[WHITE]);
        EXPECT_EQ(read.king_sq[BLACK], p.king_sq[BLACK]);
        char again[100];
        write_fen(again, read);
        EXPECT_STREQ(again, fen);
    });
}

// --- Results and scores ----------------------------------------------------------------------

TEST(ResultText, EveryCode) {
    struct Case {
        int code;
        const char* text;
        const char* short_form;
        int outcome;
    };
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
}

TEST(ResultText, UnknownCodeIsLoggedAndIncomplete) {
    char path[] = "/tmp/tarvo_result_log_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE* log = fdopen(fd, "w");
    game_add_log(log);
    EXPECT_STREQ(result_text(14), "Incomplete");
    EXPECT_STREQ(result_text(-1), "Incomplete");
    EXPECT_STREQ(result_short(14), "*");
    EXPECT_EQ(simplify_result(-3), RESULT_INCOMPLETE);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Unknown result to simplify!!\nUnknown result to simplify!!\n");
    std::remove(path);
}

class ScoreText : public ::testing::Test {
protected:
    void TearDown() override { scorepov = 0; }
};

TEST_F(ScoreText, MatesPawnsAndCentipawns) {
    EXPECT_STREQ(score_text(9999, true, true, WHITE), "MAT1");
    EXPECT_STREQ(score_text(9997, true, true, WHITE), "MAT2");
    EXPECT_STREQ(score_text(-9998, true, true, WHITE), "-MAT1");
    EXPECT_STREQ(score_text(-9996, true, false, WHITE), "-MAT2");
    EXPECT_STREQ(score_text(9501, true, false, WHITE), "MAT250");
    EXPECT_STREQ(score_text(9500, true, false, WHITE), "9500");
    EXPECT_STREQ(score_text(-9500, true, true, WHITE), "-95.00");
    EXPECT_STREQ(score_text(9999, false, true, WHITE), "99.99");
    EXPECT_STREQ(score_text(123, true, true, WHITE), "1.23");
    EXPECT_STREQ(score_text(123, false, false, WHITE), "123");
    EXPECT_STREQ(score_text(0, true, true, WHITE), "0.00");
    EXPECT_STREQ(score_text(-5, false, true, WHITE), "-0.05");
}

TEST_F(ScoreText, PointOfView) {
    EXPECT_STREQ(score_text(35, false, true, BLACK), "-0.35");
    EXPECT_STREQ(score_text(35, false, false, BLACK), "-35");
    EXPECT_STREQ(score_text(-9998, true, true, BLACK), "MAT1");
    scorepov = 1;
    EXPECT_STREQ(score_text(35, false, true, BLACK), "0.35");
    EXPECT_STREQ(score_text(35, false, false, BLACK), "35");
    EXPECT_STREQ(score_text(-9998, true, true, BLACK), "-MAT1");
    EXPECT_STREQ(score_text(35, false, false, WHITE), "35");
}

TEST(CountText, SignedDecimal) {
    char buffer[32];
    EXPECT_EQ(count_text(buffer, 1234567890123LL), 13);
    EXPECT_STREQ(buffer, "1234567890123");
    count_text(buffer, -42);
    EXPECT_STREQ(buffer, "-42");
    count_text(buffer, 0);
    EXPECT_STREQ(buffer, "0");
}

}  // namespace
