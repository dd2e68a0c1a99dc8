#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "board/dump.h"
#include "board/fen.h"
#include "board/keys.h"
#include "board/notation.h"
#include "board_test_support.h"

namespace {

class FenTest : public BoardTest {};

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string fen_of(const Position& p) {
    char buffer[100];
    int length = write_fen(buffer, p);
    EXPECT_EQ(length, int(std::strlen(buffer)));
    return buffer;
}

int read_code(const std::string& fen) {
    Position p;
    return read_fen(p, fen.c_str());
}

// The public "Win at Chess" suite, kept with the tests.
std::vector<std::string> wac_lines() {
    std::string path = TARVO_TEST_DATA "/wac.epd";
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    EXPECT_EQ(lines.size(), 300u) << "cannot read " << path;
    return lines;
}

// The board, side, castling and en-passant fields of an EPD line.
std::string first_fields(const std::string& line, int fields) {
    size_t end = 0;
    for (int i = 0; i < fields; ++i) end = line.find(' ', end + 1);
    return line.substr(0, end);
}

TEST_F(FenTest, StartPositionReadsAsTheResetAndWritesBack) {
    Position read, reset;
    int consumed = 0;
    ASSERT_EQ(read_fen(read, START_FEN, &consumed), PARSE_OK);
    reset_position(reset);
    EXPECT_EQ(std::memcmp(&read, &reset, sizeof read), 0);
    EXPECT_EQ(consumed, int(std::strlen(START_FEN)));
    EXPECT_EQ(fen_of(reset), START_FEN);
}

TEST_F(FenTest, ParseCodes) {
    const std::string kings = "4k3/8/8/8/8/8/8/4K3";
    struct Case {
        std::string fen;
        int code;
    };
    const std::vector<Case> cases = {
        {"", PARSE_END},
        {" \t ", PARSE_END},
        {kings, PARSE_END},
        {kings + "   ", PARSE_END},
        {kings + " x - - 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " W - - 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " wb - - 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - e4 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - d5 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - a1 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - h8 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - i6 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - e 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - e66 0 1", PARSE_BAD_SIDE_OR_EP},
        {kings + " w - x 0 1", PARSE_BAD_SIDE_OR_EP},
        // Board segments.
        {"4k3/8/8/8/8/8/8/4K3/ w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/8/8/4K3p w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/8/8/4K31 w - - 0 1", PARSE_BAD_BOARD},
        {"4k2/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k4/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k2p1/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3p/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"9/4k3/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"08/4k3/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4x3/4k3/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3//8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3 8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8", PARSE_BAD_BOARD},
        {"rnbqkbnr/pppppppp", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/8/8/4K", PARSE_BAD_BOARD},
        // Impossible positions.
        {"4k3/8/8/8/8/8/8/8 w - - 0 1", PARSE_BAD_BOARD},
        {"8/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"8/8/8/8/8/8/8/8 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/8/8/K3K3 w - - 0 1", PARSE_BAD_BOARD},
        {"k3k3/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/pppppppp/p7/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"P3k3/8/8/8/8/8/8/4K3 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/8/8/p3K3 b - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", PARSE_BAD_BOARD},
        {"4k3/8/8/8/8/5n2/8/4K3 b - - 0 1", PARSE_BAD_BOARD},
        // Castling field.
        {kings + " w KX - 0 1", PARSE_SYNTAX},
        {kings + " w -- - 0 1", PARSE_SYNTAX},
        {kings + " w e3 0 1", PARSE_SYNTAX},
        // Counters beyond any game.
        {kings + " w - - 0 99999999", PARSE_SYNTAX},
        {kings + " w - - 12345678901234567890 1", PARSE_SYNTAX},
        // Accepted, with the trailing fields optional.
        {"4k3/8/8/8/8/8/8/4R1K1 b - - 0 1", PARSE_OK},
        {"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", PARSE_OK},
        {kings + " w", PARSE_OK},
        {kings + " b -", PARSE_OK},
        {kings + " w - -", PARSE_OK},
        {kings + " w - - 3", PARSE_OK},
        {kings + " w - - 0 1 bm Kd1; id \"x\";", PARSE_OK},
        {"  " + kings + "\tw\t-\t-\t0\t1\n", PARSE_OK},
    };
    for (const Case& c : cases) EXPECT_EQ(read_code(c.fen), c.code) << '"' << c.fen << '"';
}

TEST_F(FenTest, CastlingRightsNeedKingAndRookAtHome) {
    struct Case {
        const char* fen;
        int flags;
    };
    const Case cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", WKC | WQC | BKC | BQC},
        {"4k3/8/8/8/8/8/8/4K1R1 w K - 0 1", 0},
        {"r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1", BKC | BQC},
        {"4k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", WKC | WQC | BKC},
        {"r3k3/8/8/8/8/8/8/R3K2R b Qq - 0 1", WQC | BQC},
        {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w qkQK - 0 1", WKC | WQC | BKC | BQC},
        // Without the field the start position's rights stay, as far as the board allows.
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w", WKC | WQC | BKC | BQC},
        {"4k2r/8/8/8/8/8/8/R3K3 w", WQC | BKC},
    };
    for (const Case& c : cases) {
        Position p;
        ASSERT_EQ(read_fen(p, c.fen), PARSE_OK) << c.fen;
        EXPECT_EQ(p.castle_flags, c.flags) << c.fen;
        EXPECT_EQ(p.hash_key, compute_hash_key(p)) << c.fen;
    }
}

TEST_F(FenTest, EnPassantSquareOnlyWhenACaptureCanUseIt) {
    struct Case {
        const char* fen;
        Square ep;
        const char* written;  // nullptr: the text itself
    };
    const Case cases[] = {
        // After 1.e4 no black pawn attacks e3.
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0,
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 45, nullptr},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", 20, nullptr},
        // The wrong side to move, or no pawn that just passed.
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR b KQkq f6 0 3", 0,
         "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3"},
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0,
         "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3"},
        {"4k3/8/8/8/3p4/4P3/8/4K3 b - e3 0 1", 0, "4k3/8/8/8/3p4/4P3/8/4K3 b - - 0 1"},
        {"4k3/8/5p2/4pP2/8/8/8/4K3 w - e6 0 1", 44, nullptr},
        {"4k3/4n3/8/4pP2/8/8/8/4K3 w - e6 0 1", 0, "4k3/4n3/8/4pP2/8/8/8/4K3 w - - 0 1"},
        {"4k3/8/4n3/4pP2/8/8/8/4K3 w - e6 0 1", 0, "4k3/8/4n3/4pP2/8/8/8/4K3 w - - 0 1"},
    };
    for (const Case& c : cases) {
        Position p;
        ASSERT_EQ(read_fen(p, c.fen), PARSE_OK) << c.fen;
        EXPECT_EQ(p.ep_square, c.ep) << c.fen;
        EXPECT_EQ(fen_of(p), c.written ? c.written : c.fen);
        expect_consistent(p);
    }
}

// A position read from FEN equals the one reached by playing the moves, keys included.
TEST_F(FenTest, ReadPositionMatchesThePlayedOne) {
    Position played;
    reset_position(played);
    make_move(played, make_move_value(12, 28, WPAWN));   // e4
    make_move(played, make_move_value(51, 35, BPAWN));   // d5
    make_move(played, make_move_value(28, 36, WPAWN));   // e5
    make_move(played, make_move_value(53, 37, BPAWN));   // f5
    ASSERT_EQ(played.ep_square, 45);
    Position read;
    ASSERT_EQ(read_fen(read, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"),
              PARSE_OK);
    // Everything but the scratch king slot, which make_move uses for other pieces.
    EXPECT_EQ(std::memcmp(&read, &played, offsetof(Position, king_sq) + 2 * sizeof(int32_t)), 0);
    EXPECT_EQ(std::memcmp(&read.pawn_count, &played.pawn_count,
                          offsetof(Position, move_number) - offsetof(Position, pawn_count)),
              0);
    EXPECT_EQ(read.hist_top, 0);
}

TEST_F(FenTest, CountersSetHalfMovesAndGamePly) {
    struct Case {
        const char* fen;
        int half_moves, move_number;
        const char* written;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 b - - 7 12", 7, 23, "4k3/8/8/8/8/8/8/4K3 b - - 7 12"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 7 12", 7, 22, "4k3/8/8/8/8/8/8/4K3 w - - 7 12"},
        {"4k3/8/8/8/8/8/8/4K3 w - -", 0, 0, "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K3 b - -", 0, 1, "4k3/8/8/8/8/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K3 b - - 5", 5, 1, "4k3/8/8/8/8/8/8/4K3 b - - 5 1"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 0", 0, 0, "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
    };
    for (const Case& c : cases) {
        Position p;
        ASSERT_EQ(read_fen(p, c.fen), PARSE_OK) << c.fen;
        EXPECT_EQ(p.half_moves, c.half_moves) << c.fen;
        EXPECT_EQ(p.move_number, c.move_number) << c.fen;
        EXPECT_EQ(fen_of(p), c.written);
    }
}

TEST_F(FenTest, ConsumedStopsAtTheEndOfWhatWasRead) {
    const std::string fen = "4k3/8/8/8/8/8/8/4K3 w - - 0 1";
    Position p;
    int consumed = -1;
    ASSERT_EQ(read_fen(p, ("  " + fen + " ; rest").c_str(), &consumed), PARSE_OK);
    EXPECT_EQ(consumed, int(fen.size()) + 2);
    ASSERT_EQ(read_fen(p, (fen + " hmvc 0;").c_str(), &consumed), PARSE_OK);
    EXPECT_EQ(consumed, int(fen.size()));
}

TEST_F(FenTest, BestMovesAreReadUntilOneFailsOrTheArrayIsFull) {
    const std::string fen = "4k3/8/8/8/8/8/4P3/4K3 w - -";
    Move moves[MAX_BM_MOVES];
    Position p;
    int count = -1, consumed = 0;
    const Move e4 = make_move_value(12, 28, WPAWN), kd1 = make_move_value(4, 3, WKING);

    ASSERT_EQ(read_fen(p, (fen + " bm e4 Kd1+; id \"a\";").c_str(), &consumed, moves, &count), PARSE_OK);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(moves[0], e4);
    EXPECT_EQ(moves[1], kd1);
    EXPECT_EQ(consumed, int(fen.size() + std::strlen(" bm e4 Kd1+")));

    ASSERT_EQ(read_fen(p, (fen + " bm e4 Zz9 Kd1;").c_str(), nullptr, moves, &count), PARSE_OK);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(read_fen(p, (fen + " bm e5;").c_str(), nullptr, moves, &count), PARSE_OK);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(read_fen(p, (fen + " bmx e4;").c_str(), nullptr, moves, &count), PARSE_OK);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(read_fen(p, fen.c_str(), nullptr, moves, &count), PARSE_OK);
    EXPECT_EQ(count, 0);

    std::string many = fen + " bm";
    for (int i = 0; i < MAX_BM_MOVES + 3; ++i) many += " e3";
    Move guarded[MAX_BM_MOVES + 1];
    guarded[MAX_BM_MOVES] = 12345;
    ASSERT_EQ(read_fen(p, many.c_str(), nullptr, guarded, &count), PARSE_OK);
    EXPECT_EQ(count, MAX_BM_MOVES);
    EXPECT_EQ(guarded[MAX_BM_MOVES], 12345u);
    EXPECT_EQ(guarded[MAX_BM_MOVES - 1], make_move_value(12, 20, WPAWN));
}

// Every suite position reads, writes back its own fields, and its best moves read back as the
// suite's SAN.
TEST_F(FenTest, TacticsSuiteRoundTrips) {
    for (const std::string& line : wac_lines()) {
        Position p;
        Move moves[MAX_BM_MOVES];
        int count = 0;
        ASSERT_EQ(read_fen(p, line.c_str(), nullptr, moves, &count), PARSE_OK) << line;
        expect_consistent(p);
        EXPECT_EQ(fen_of(p), first_fields(line, 4) + " 0 1");

        size_t bm = line.find(" bm ") + 4;
        std::string wanted = line.substr(bm, line.find(';') - bm), written;
        for (int i = 0; i < count; ++i) {
            char san[8];
            m_sprint(san, p, moves[i], MTT_SAN);
            if (i) written += ' ';
            written += san;
        }
        for (char mark : {'+', '#'})
            for (size_t at; (at = wanted.find(mark)) != std::string::npos;) wanted.erase(at, 1);
        EXPECT_EQ(written, wanted) << line;
    }
}

TEST_F(FenTest, PerftPositionsWriteBackTheirText) {
    for (const PerftCase& c : perft_cases()) {
        Position p = position_from_fen(c.fen);
        EXPECT_EQ(fen_of(p), c.fen);
    }
}

TEST_F(FenTest, WrittenFenNeverPassesItsBuffer) {
    Position p = position_from_fen("r1b1k1n1/1p1p1p1p/p1p1p1p1/1n1n1n1n/N1N1N1N1/1P1P1P1P/P1P1P1P1/R1B1K1N1 w Qq - 0 1");
    p.half_moves = 2147483647;
    p.move_number = 2147483646;
    char buffer[128];
    std::memset(buffer, 'x', sizeof buffer);
    int length = write_fen(buffer, p);
    EXPECT_EQ(length, 99);
    EXPECT_EQ(buffer[99], '\0');
    EXPECT_EQ(buffer[100], 'x');
}

TEST_F(FenTest, DumpOfTheStartPosition) {
    Position p;
    reset_position(p);
    char buffer[DUMP_BUFFER_SIZE];
    int length = dump_position(buffer, p, false);
    char keys[64];
    std::snprintf(keys, sizeof keys, "HKL:%X HKH:%X\n", unsigned(p.hash_key), unsigned(p.hash_key >> 32));
    std::string expected =
        "r n b q k b n r \n"
        "p p p p p p p p \n"
        "- - - - - - - - \n"
        "- - - - - - - - \n"
        "- - - - - - - - \n"
        "- - - - - - - - \n"
        "P P P P P P P P \n"
        "R N B Q K B N R \n"
        "\nWQC:1 WKC:1 BQC:1 BKC:1 Turn:WHITE EP:0\n"
        "MB:     0 WPC: 7 BPC: 7 HM:0 " + std::string(keys);
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(length, int(expected.size()));
}

TEST_F(FenTest, FullDumpListsEveryViewInOrder) {
    Position p = position_from_fen("r3k3/8/8/3pP3/8/8/8/4K2R w Kq d6 4 30");
    char buffer[DUMP_BUFFER_SIZE];
    int length = dump_position(buffer, p, true);
    std::string text(buffer, size_t(length));
    EXPECT_NE(text.find("\nWQC:0 WKC:1 BQC:1 BKC:0 Turn:WHITE EP:43\nMB:     0 WPC: 1 BPC: 1 HM:4 "),
              std::string::npos);

    struct View {
        const char* label;
        Bitboard b;
    };
    const View views[] = {
        {"all_pieces", p.all_pieces}, {"rot_90", p.rot_90},   {"h1a8_diag", p.h1a8_diag},
        {"a1h8_diag", p.a1h8_diag},   {"rot0_x", p.rot0_x},   {"rot90_x", p.rot90_x},
        {"a1h8_x", p.a1h8_x},         {"h1a8_x", p.h1a8_x},   {"rot0_xm", 0},
        {"pieces[WHITE]", p.pieces[WHITE]},     {"pieces[BLACK]", p.pieces[BLACK]},
        {"pieces[WPAWN]", p.pieces[WPAWN]},     {"pieces[BPAWN]", p.pieces[BPAWN]},
        {"pieces[WKNIGHT]", p.pieces[WKNIGHT]}, {"pieces[BKNIGHT]", p.pieces[BKNIGHT]},
        {"pieces[WBISHOP]", p.pieces[WBISHOP]}, {"pieces[BBISHOP]", p.pieces[BBISHOP]},
        {"pieces[WROOK]", p.pieces[WROOK]},     {"pieces[BROOK]", p.pieces[BROOK]},
        {"pieces[WQUEEN]", p.pieces[WQUEEN]},   {"pieces[BQUEEN]", p.pieces[BQUEEN]},
        {"pieces[WKING]", p.pieces[WKING]},     {"pieces[BKING]", p.pieces[BKING]},
    };
    size_t at = text.find("HKH:");
    for (const View& view : views) {
        char section[128];
        int n = std::sprintf(section, "\n%s:\n", view.label);
        if (std::strcmp(view.label, "rot0_xm") != 0) dump_bitboard(section + n, view.b);
        at = text.find(section, at);
        ASSERT_NE(at, std::string::npos) << view.label;
    }
    EXPECT_EQ(text.size(), text.find("\npieces[BKING]:\n") + 16 + 72);
}

TEST_F(FenTest, BitboardDumpRunsFromA8ToH1) {
    char buffer[80];
    EXPECT_EQ(dump_bitboard(buffer, square_bit(56) | square_bit(7) | square_bit(28)), 72);
    EXPECT_STREQ(buffer,
                 "10000000\n00000000\n00000000\n00000000\n00001000\n00000000\n00000000\n00000001\n");
}

}  // namespace
