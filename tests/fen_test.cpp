#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "board/dump.h"
#include "board/keys.h"
#include "board/notation.h"
#include "tactics_positions.h"

namespace {

class FenTest : public BoardTest {};

// The first `fields` blank-separated fields of a FEN or EPD line.
std::string first_fields(const std::string& line, int fields) {
    size_t end = 0;
    for (int i = 0; i < fields; ++i) end = line.find(' ', end + 1);
    return line.substr(0, end);
}

TEST_F(FenTest, StartPositionReadsAsTheResetAndWritesBack) {
    Position read, reset = start_position();
    int consumed = 0;
    ASSERT_EQ(read_fen(read, START_FEN, &consumed), PARSE_OK);
    EXPECT_EQ(std::memcmp(&read, &reset, sizeof read), 0);
    EXPECT_EQ(consumed, int(std::strlen(START_FEN)));
    EXPECT_EQ(fen_of(reset), START_FEN);
}

TEST_F(FenTest, ParseCodes) {
    const std::string k = "4k3/8/8/8/8/8/8/4K3";
    struct Group { int code; std::string head, tail; std::vector<std::string> middles; };
    const Group groups[] = {
        {PARSE_END, "", "", {"", " \t ", k, k + "   "}},
        {PARSE_BAD_SIDE_OR_EP, k + " ", " 0 1",
         {"x - -", "W - -", "wb - -", "w - e4", "w - d5", "w - a1", "w - h8", "w - i6", "w - e",
          "w - e66", "w - x"}},
        // Board segments, then impossible positions.
        {PARSE_BAD_BOARD, "", " w - - 0 1",
         {"4k3/8/8/8/8/8/8/4K3/", "4k3/8/8/8/8/8/8/4K3p", "4k3/8/8/8/8/8/8/4K31", "4k2/8/8/8/8/8/8/4K3",
          "4k4/8/8/8/8/8/8/4K3", "4k2p1/8/8/8/8/8/8/4K3", "4k3p/8/8/8/8/8/8/4K3", "9/4k3/8/8/8/8/8/4K3",
          "08/4k3/8/8/8/8/8/4K3", "4x3/4k3/8/8/8/8/8/4K3", "4k3//8/8/8/8/8/4K3", "4k3 8/8/8/8/8/8/4K3",
          "4k3/8/8/8/8/8/8/8", "8/8/8/8/8/8/8/4K3", "8/8/8/8/8/8/8/8", "4k3/8/8/8/8/8/8/K3K3",
          "k3k3/8/8/8/8/8/8/4K3", "4k3/8/8/8/8/P7/PPPPPPPP/4K3", "4k3/pppppppp/p7/8/8/8/8/4K3",
          "P3k3/8/8/8/8/8/8/4K3", "4k3/8/8/8/8/8/8/4R1K1"}},
        {PARSE_BAD_BOARD, "", "",
         {"4k3/8/8", "rnbqkbnr/pppppppp", "4k3/8/8/8/8/8/8/4K", "4k3/8/8/8/8/8/8/p3K3 b - - 0 1",
          "4k3/8/8/8/8/5n2/8/4K3 b - - 0 1"}},
        // Castling field, then counters beyond any game.
        {PARSE_SYNTAX, k + " w ", "",
         {"KX - 0 1", "-- - 0 1", "e3 0 1", "- - 0 99999999", "- - 12345678901234567890 1"}},
        // Accepted, with the trailing fields optional.
        {PARSE_OK, "", "",
         {"4k3/8/8/8/8/8/8/4R1K1 b - - 0 1", "4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", k + " w", k + " b -",
          k + " w - -", k + " w - - 3", k + " w - - 0 1 bm Kd1; id \"x\";",
          "  " + k + "\tw\t-\t-\t0\t1\n"}},
    };
    for (const Group& group : groups) {
        for (const std::string& middle : group.middles) {
            const std::string fen = group.head + middle + group.tail;
            Position p;
            EXPECT_EQ(read_fen(p, fen.c_str()), group.code) << '"' << fen << '"';
        }
    }
}

TEST_F(FenTest, CastlingRightsNeedKingAndRookAtHome) {
    struct Case { const char* fen; int flags; };
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
        Position p = position_from_fen(c.fen);
        EXPECT_EQ(p.castle_flags, c.flags) << c.fen;
        EXPECT_EQ(p.hash_key, compute_hash_key(p)) << c.fen;
    }
}

// Read as given, the square is kept (and written) only when a pawn can take on it.
TEST_F(FenTest, EnPassantSquareOnlyWhenACaptureCanUseIt) {
    struct Case { const char* fen; const char* kept; };
    const Case cases[] = {
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "-"},  // no pawn on d4/f4
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 1", "f6"},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "e3"},
        {"4k3/8/5p2/4pP2/8/8/8/4K3 w - e6 0 1", "e6"},
        // The wrong side to move, no pawn that just passed, or the squares it crossed taken.
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR b KQkq f6 0 1", "-"},
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 1", "-"},
        {"4k3/8/8/8/3p4/4P3/8/4K3 b - e3 0 1", "-"},
        {"4k3/4n3/8/4pP2/8/8/8/4K3 w - e6 0 1", "-"},
        {"4k3/8/4n3/4pP2/8/8/8/4K3 w - e6 0 1", "-"},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        EXPECT_EQ(p.ep_square, c.kept[0] == '-' ? 0 : sq(c.kept)) << c.fen;
        EXPECT_EQ(fen_of(p), first_fields(c.fen, 3) + " " + c.kept + " 0 1");
        expect_consistent(p);
    }
}

TEST_F(FenTest, CountersSetHalfMovesAndGamePly) {
    struct Case {
        const char* fields;  // after the kings' board
        int half_moves, move_number;
        const char* written;
    };
    const Case cases[] = {
        {"b - - 7 12", 7, 23, "b - - 7 12"}, {"w - - 7 12", 7, 22, "w - - 7 12"},
        {"w - -", 0, 0, "w - - 0 1"},        {"b - -", 0, 1, "b - - 0 1"},
        {"b - - 5", 5, 1, "b - - 5 1"},      {"w - - 0 0", 0, 0, "w - - 0 1"},
    };
    const std::string kings = "4k3/8/8/8/8/8/8/4K3 ";
    for (const Case& c : cases) {
        Position p = position_from_fen(kings + c.fields);
        EXPECT_EQ(p.half_moves, c.half_moves) << c.fields;
        EXPECT_EQ(p.move_number, c.move_number) << c.fields;
        EXPECT_EQ(fen_of(p), kings + c.written);
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
    Position p;
    Move moves[MAX_BM_MOVES + 1];
    moves[MAX_BM_MOVES] = 12345;
    int consumed = 0;
    auto best_moves = [&](const std::string& tail) {
        int count = -1;
        EXPECT_EQ(read_fen(p, (fen + tail).c_str(), &consumed, moves, &count), PARSE_OK) << tail;
        return count;
    };
    ASSERT_EQ(best_moves(" bm e4 Kd1+; id \"a\";"), 2);
    EXPECT_EQ(moves[0], make_move_value(sq("e2"), sq("e4"), WPAWN));
    EXPECT_EQ(moves[1], make_move_value(sq("e1"), sq("d1"), WKING));
    EXPECT_EQ(consumed, int(fen.size() + std::strlen(" bm e4 Kd1+")));
    EXPECT_EQ(best_moves(" bm e4 Zz9 Kd1;"), 1);
    for (const char* tail : {" bm e5;", " bmx e4;", ""}) EXPECT_EQ(best_moves(tail), 0) << tail;
    std::string many = " bm";
    for (int i = 0; i < MAX_BM_MOVES + 3; ++i) many += " e3";
    EXPECT_EQ(best_moves(many), MAX_BM_MOVES);
    EXPECT_EQ(moves[MAX_BM_MOVES - 1], make_move_value(sq("e2"), sq("e3"), WPAWN));
    EXPECT_EQ(moves[MAX_BM_MOVES], 12345u);
}

// Every suite position reads, writes back its own fields, and its best moves are legal and
// read back as the suite's SAN.
TEST_F(FenTest, TacticsSuiteRoundTrips) {
    std::ifstream in(WAC_PATH);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
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
            written += std::string(i ? " " : "") + san;
            EXPECT_TRUE(is_legal_move(p, moves[i])) << line;
        }
        for (char mark : {'+', '#'})
            for (size_t at; (at = wanted.find(mark)) != std::string::npos;) wanted.erase(at, 1);
        EXPECT_EQ(written, wanted) << line;
    }
    EXPECT_EQ(lines, 300);
}

// Positions met in games write a FEN that reads back as the same position and the same text.
TEST_F(FenTest, PlayedPositionsRoundTrip) {
    for_each_corpus_position([](Position& p) {
        const std::string fen = fen_of(p);
        Position read = position_from_fen(fen);
        EXPECT_EQ(std::memcmp(&read, &p, offsetof(Position, king_sq) + 2 * sizeof(int32_t)), 0) << fen;
        EXPECT_EQ(fen_of(read), fen);
    });
}

TEST_F(FenTest, WrittenFenNeverPassesItsBuffer) {
    Position p = position_from_fen("r1b1k1n1/1p1p1p1p/p1p1p1p1/1n1n1n1n/N1N1N1N1/1P1P1P1P/P1P1P1P1/R1B1K1N1 w Qq - 0 1");
    p.half_moves = 2147483647;
    p.move_number = 2147483646;
    char buffer[128];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(write_fen(buffer, p), 99);
    EXPECT_EQ(buffer[99], '\0');
    EXPECT_EQ(buffer[100], 'x');
}

TEST_F(FenTest, FullDumpListsEveryViewInOrder) {
    Position p = position_from_fen("r3k3/8/8/3pP3/8/8/8/4K2R w Kq d6 4 30");
    char buffer[DUMP_BUFFER_SIZE];
    const std::string text(buffer, size_t(dump_position(buffer, p, true)));
    EXPECT_EQ(text.rfind("r - - - k - - - \n- - - - - - - - \n", 0), 0u) << text;
    EXPECT_NE(text.find("\nWQC:0 WKC:1 BQC:1 BKC:0 Turn:WHITE EP:43\nMB:     0 WPC: 1 BPC: 1 HM:4 "),
              std::string::npos);
    std::vector<std::pair<std::string, Bitboard>> views = {
        {"all_pieces", p.all_pieces}, {"rot_90", p.rot_90}, {"h1a8_diag", p.h1a8_diag},
        {"a1h8_diag", p.a1h8_diag},   {"rot0_x", p.rot0_x}, {"rot90_x", p.rot90_x},
        {"a1h8_x", p.a1h8_x},         {"h1a8_x", p.h1a8_x}, {"rot0_xm", 0},
        {"pieces[WHITE]", p.pieces[WHITE]}, {"pieces[BLACK]", p.pieces[BLACK]}};
    const char* types[] = {"", "PAWN", "KNIGHT", "BISHOP", "ROOK", "QUEEN", "KING"};
    for (int type = PAWN; type <= KING; ++type)
        for (int colour : {WHITE, BLACK})
            views.push_back({std::string("pieces[") + "BW"[colour] + types[type] + "]",
                             p.pieces[piece_of(type, colour)]});
    size_t at = text.find("HKH:");
    for (const auto& [label, b] : views) {
        char section[128];
        const int n = std::sprintf(section, "\n%s:\n", label.c_str());
        if (label != "rot0_xm") dump_bitboard(section + n, b);  // an empty section, not a board
        at = text.find(section, at);
        ASSERT_NE(at, std::string::npos) << label;
    }
    EXPECT_EQ(text.size(), at + 16 + 72);
}

TEST_F(FenTest, BitboardDumpRunsFromA8ToH1) {
    char buffer[80];
    EXPECT_EQ(dump_bitboard(buffer, square_bit(56) | square_bit(7) | square_bit(28)), 72);
    EXPECT_STREQ(buffer,
                 "10000000\n00000000\n00000000\n00000000\n00001000\n00000000\n00000000\n00000001\n");
}

}  // namespace
