#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "common/log.h"
#include "common/settings.h"
#include "engine_run.h"
#include "log_capture.h"
#include "san_line.h"
#include "frontend/book_file.h"
#include "frontend/book_lines.h"
#include "frontend/book_select.h"
#include "frontend/options.h"
#include "frontend/pgn_reader.h"

namespace {

BookMove start_move(const char* san, uint32_t flags, uint32_t wins, uint32_t draws, uint32_t losses) {
    return {move_after("", san), flags, wins, draws, losses};
}

// Book files byte by byte, so that tests can damage them.
void put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
}
void append32(std::string& s, uint32_t v) {
    s.resize(s.size() + 4);
    put32(s, s.size() - 4, v);
}

struct RawEntry {
    uint64_t key;
    std::vector<BookMove> moves;
};

std::string book_bytes(const std::vector<RawEntry>& entries) {
    std::string s(BOOK_INDEX_BYTES, '\0');
    std::map<int, std::vector<const RawEntry*>> buckets;
    for (const RawEntry& e : entries) buckets[int(e.key & 0xFFFF)].push_back(&e);
    for (const auto& [bucket, list] : buckets) {
        size_t start = s.size();
        put32(s, 4 * (BOOK_BUCKETS + bucket), uint32_t(start));
        append32(s, uint32_t(list.size()));
        for (const RawEntry* e : list) {
            append32(s, uint32_t(e->key));
            append32(s, uint32_t(e->key >> 32));
            append32(s, uint32_t(e->moves.size()));
            for (const BookMove& m : e->moves)
                for (uint32_t field : {m.flags, m.wins, m.draws, m.losses, m.move}) append32(s, field);
        }
        put32(s, 4 * bucket, uint32_t(s.size() - start));
    }
    return s;
}

class BookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_attack_tables();
        capture_log();
    }
    void TearDown() override {
        book_close();
        book_lines_clear();
        bookline_exclams_invalidate_book_exclams = 1;
    }
    // The file's moves for the position after `moves`.
    static std::vector<BookMove> probe(const std::string& moves, const char* fen = nullptr) {
        static BookProbe found;
        book_probe(after(moves, fen), found);
        return std::vector<BookMove>(found.moves, found.moves + found.count);
    }
};

TEST(BookWeight, GoodMovesPushOutTheRestAndPlainMovesNeedScoreGamesAndWins) {
    const double good_file_20 = std::pow(20.0, 0.75) * 0.625;
    struct Case {
        BookMove move;  // only the flags and counts matter
        uint32_t all_flags;
        int invalidate;
        double weight;
    };
    const Case cases[] = {
        {{0, 0, 10, 5, 5}, 0, 1, 7.8125},  // p = 0.625, n = 20
        {{0, 0, 3, 0, 40}, 0, 1, 0},       // p = 0.07, below 38%
        {{0, 0, 2, 1, 1}, 0, 1, 1.5625},   // n = 4: just enough games
        {{0, 0, 2, 1, 0}, 0, 1, 0},        // n = 3: too few
        {{0, 0, 0, 20, 0}, 0, 1, 0},       // p = 0.5 without a win
        {{0, 0, 10, 5, 5}, BOOK_FILE_GOOD, 1, 0},
        {{0, BOOK_FILE_GOOD, 10, 5, 5}, BOOK_FILE_GOOD, 1, good_file_20},
        {{0, BOOK_FILE_GOOD, 0, 0, 10}, BOOK_FILE_GOOD, 1, std::pow(10.0, 0.75) * 0.3},
        {{0, BOOK_FILE_GOOD, 10, 5, 5}, BOOK_FILE_GOOD | BOOK_LINE_GOOD_FLAG, 1, 0},
        {{0, BOOK_FILE_GOOD, 10, 5, 5}, BOOK_FILE_GOOD | BOOK_LINE_GOOD_FLAG, 0, good_file_20},
        {{0, BOOK_LINE_GOOD_FLAG, 0, 0, 0}, BOOK_LINE_GOOD_FLAG, 1, 1.0},
        {{0, BOOK_LINE_BAD_FLAG, 10, 5, 5}, BOOK_LINE_BAD_FLAG, 1, 0},
        {{0, BOOK_FILE_BAD, 10, 5, 5}, BOOK_FILE_BAD, 1, 0},
    };
    for (const Case& c : cases) {
        bookline_exclams_invalidate_book_exclams = c.invalidate;
        EXPECT_DOUBLE_EQ(book_move_weight(c.move, c.all_flags), c.weight)
            << c.move.flags << " +" << c.move.wins << " =" << c.move.draws << " -" << c.move.losses;
    }
    bookline_exclams_invalidate_book_exclams = 1;
}

TEST_F(BookTest, SelectionMergesBookLinesLogsEveryCandidateAndDrawsByWeight) {
    struct Case {
        const char* name;
        std::vector<BookMove> file;  // the start position's moves; none: no book open
        const char* book_line;       // an options-file book line, or null
        int invalidate;
        const char* chosen;          // every time; null: none, "any": either move
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"10-5-5", {start_move("e4", 0, 10, 5, 5)}, nullptr, 1, "e4",
         {"Book: (1 entries / 36 bytes / ", "e2-e4  100.0%    [ 62.5%, +10, -5, =5]\n",
          "Book: selected e2-e4\n\n"}},
        {"3-0-40", {start_move("e4", 0, 3, 0, 40)}, nullptr, 1, nullptr,
         {"e2-e4    0.0%    [  7.0%, +3, -40, =0]\n", "Book: No move selected.\n\n"}},
        {"a line adds a good move", {start_move("e4", 0, 10, 5, 5)}, "d4!!", 1, "d4",
         {"e2-e4    0.0%    [ 62.5%", "d2-d4  100.0% !L [  0.0%, +0, -0, =0]\n"}},
        {"a line's !! voids the file's !!", {start_move("e4", BOOK_FILE_GOOD, 10, 5, 5)}, "d4!!", 1,
         "d4", {"e2-e4    0.0% !! [", "d2-d4  100.0% !L ["}},
        {"unless the option is off", {start_move("e4", BOOK_FILE_GOOD, 10, 5, 5)}, "d4!!", 0, "any",
         {"e2-e4   85.5% !! [", "d2-d4   14.5% !L ["}},
        {"a line's ?? over the file's !!",
         {start_move("e4", BOOK_FILE_GOOD, 10, 5, 5), start_move("d4", 0, 10, 5, 5)}, "e4??", 1, "d4",
         {"e2-e4    0.0% ?L [ 62.5%", "d2-d4  100.0%    ["}},
        {"a line without a book", {}, "Nf3!!", 1, "Nf3",
         {"Book: (0 entries / 0 bytes / ", "Ng1-f3 100.0% !L ["}},
        {"no book, no line", {}, nullptr, 1, nullptr,
         {"Book: (0 entries / 0 bytes / ", "Book: No move selected.\n\n"}},
    };
    for (const Case& c : cases) {
        book_close();
        book_lines_clear();
        if (!c.file.empty()) {
            ASSERT_TRUE(book_open(write_file("select.bin", book_bytes({{after("").hash_key, c.file}})).c_str()));
        }
        if (c.book_line) {
            ASSERT_TRUE(read_book_line(c.book_line));
        }
        bookline_exclams_invalidate_book_exclams = c.invalidate;
        Move expected = !c.chosen || std::string(c.chosen) == "any" ? NULL_MOVE : move_after("", c.chosen);
        std::string log = logged([&] {
            for (int draw = 0; draw < 40; ++draw) {
                std::srand(unsigned(draw));
                Move chosen = book_select(after(""));
                if (!c.chosen || expected != NULL_MOVE) {
                    EXPECT_EQ(chosen, expected) << c.name;
                } else {
                    EXPECT_NE(chosen, NULL_MOVE) << c.name;
                }
            }
        });
        for (const std::string& line : c.logged)
            EXPECT_NE(log.find(line), std::string::npos) << c.name << ": " << line << "\n" << log;
    }
}

TEST_F(BookTest, DamagedFilesGiveNoMoveAndNeverReadOutsideTheFile) {
    const uint64_t start = after("").hash_key;
    const uint64_t neighbour = start ^ (uint64_t(1) << 40);  // the same bucket
    const int bucket = int(start & 0xFFFF);
    const size_t size_at = 4 * bucket, offset_at = 4 * (BOOK_BUCKETS + bucket);
    const size_t count_at = BOOK_INDEX_BYTES;
    const size_t neighbour_moves_at = count_at + 4 + 8, start_key_at = count_at + 4 + 32, start_moves_at = start_key_at + 8;
    const std::string good = book_bytes(
        {{neighbour, {start_move("d4", 0, 1, 1, 1)}}, {start, {start_move("e4", 0, 10, 5, 5)}}});
    const Move e2e5 = make_move_value(12, 36, WPAWN), black_e5 = make_move_value(52, 36, BPAWN);
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
        bool opens;
        int moves;  // found for the start position
    };
    const Case cases[] = {
        {"empty file", [](std::string& s) { s.clear(); }, false, 1},
        {"short index", [](std::string& s) { s.resize(BOOK_INDEX_BYTES - 1); }, false, 1},
        {"bucket cut short", [](std::string& s) { s.pop_back(); }, true, 0},
        {"size beyond the end", [&](std::string& s) { put32(s, size_at, uint32_t(s.size())); }, true, 0},
        {"offset beyond the end", [&](std::string& s) { put32(s, offset_at, 0xFFFFFFF0u); }, true, 0},
        {"offset and size past 4 GiB", [&](std::string& s) {
             put32(s, offset_at, 0xFFFFFFFFu);
             put32(s, size_at, 0xFFFFFFFFu);
         }, true, 0},
        {"empty bucket", [&](std::string& s) { put32(s, size_at, 0); }, true, 0},
        {"negative entry count", [&](std::string& s) { put32(s, count_at, 0x80000000u); }, true, 0},
        {"entry count beyond the bucket", [&](std::string& s) {
             put32(s, count_at, 0x7FFFFFFFu);
             put32(s, start_key_at, 12345);
         }, true, 0},
        {"move count overruns", [&](std::string& s) { put32(s, start_moves_at, 1000000); }, true, 0},
        {"move count near 2^32", [&](std::string& s) { put32(s, start_moves_at, 0xFFFFFFFFu); }, true, 0},
        {"an earlier entry overruns", [&](std::string& s) { put32(s, neighbour_moves_at, 2); }, true, 0},
        {"moves not legal here", [&](std::string& s) {
             s = book_bytes({{start, {{e2e5, 0, 9, 9, 9}, {0xFFFFFFFFu, 0, 9, 9, 9}, {black_e5, 0, 9, 9, 9},
                                      start_move("e4", 0, 10, 5, 5), {NULL_MOVE, 0, 9, 9, 9}}}});
         }, true, 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(book_open(write_file("good.bin", good).c_str()));
        std::string bytes = good;
        c.damage(bytes);
        std::string path = write_file("damaged.bin", bytes);
        std::string log = logged([&] { EXPECT_EQ(book_open(path.c_str()), c.opens) << c.name; });
        if (!c.opens) {
            EXPECT_EQ(log, "Couldn't open book " + path + " (the file is shorter than its index)\n") << c.name;
        }
        std::vector<BookMove> found = probe("");
        ASSERT_EQ(int(found.size()), c.moves) << c.name;
        if (c.moves) {
            EXPECT_EQ(found[0].move, move_after("", "e4")) << c.name;
        }
        Move chosen = book_select(after(""));
        EXPECT_TRUE(chosen == NULL_MOVE || chosen == move_after("", "e4")) << c.name;
    }
    std::string log = logged([] { EXPECT_FALSE(book_open("/nonexistent/book.bin")); });
    EXPECT_EQ(log, "Couldn't open book /nonexistent/book.bin (No such file or directory)\n");
}

// Every status of a PGN input in order, and the word of the first fault.
std::vector<int> read_all(const std::string& text, std::string& first_fault, int& plies) {
    static PgnGame game;
    FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    PgnReader reader = pgn_reader(file);
    std::vector<int> statuses;
    first_fault.clear();
    plies = 0;
    for (int status; (status = read_pgn_game(reader, game)) != PGN_END && statuses.size() < 10000;) {
        statuses.push_back(status);
        if (status == PGN_GAME) plies += game.ply_count;
        if (first_fault.empty()) first_fault = game.fault;
    }
    std::fclose(file);
    return statuses;
}

TEST_F(BookTest, PgnReaderReadsGamesAndReportsEachUnreadableOneWithItsReason) {
    struct Case {
        std::string text;
        std::vector<int> statuses;
        const char* fault;
        int plies;  // of the games read
    };
    const Case cases[] = {
        {"[Foo \"bar\"]\n[Weird_Tag \"x \\\"y\\\"\"]\n1. e4 e5 1-0", {PGN_GAME}, "", 2},
        {"1.e4 {c} e5 (1... c5 {(} 2. Nf3) 2.Nf3?! $14 Nc6 ; line\n% escape\n 1/2-1/2", {PGN_GAME}, "", 4},
        {"1. e4 e5 2. Bb5 d6 3. Nf3 1-0\n1. d4 0-1", {PGN_ILLEGAL_MOVE, PGN_GAME}, "d6", 1},
        {"1. e4 Nf5 1-0", {PGN_ILLEGAL_MOVE}, "Nf5", 0},
        {"1. d4 Zz9 0-1", {PGN_UNKNOWN_SAN}, "Zz9", 0},
        {"[Event \"a\"]\n1. e4 e5 2.\n[Event \"b\"]\n1. d4 0-1\n", {PGN_TRUNCATED, PGN_GAME}, "", 1},
        {"[Event \"a\"]\n1. e4 e5", {PGN_TRUNCATED}, "", 0},
        {"[Event \"a\"]\n", {PGN_TRUNCATED}, "", 0},
        {"[Event \"a\n1. e4 1-0\n[Event \"b\"]\n1. d4 1-0", {PGN_JUNK, PGN_GAME}, "[", 1},
        {std::string("1. e4 \x01\x02\xff 1-0\n1. d4 1-0\n1. d4 ") + std::string(200, 'x') + " 1-0",
         {PGN_JUNK, PGN_GAME, PGN_JUNK}, "", 1},
        {std::string("1. e4 e5\0 1-0", 13), {PGN_JUNK}, "", 0},
        {"[FEN \"8/8/8 w - - 0 1\"]\n1. e4 1-0", {PGN_BAD_FEN}, "8/8/8 w - - 0 1", 0},
        {"[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n1... Kd7 2. e4 0-1", {PGN_GAME}, "", 2},
        {"1. e4 *\n\n", {PGN_UNFINISHED}, "", 0},
        {"  \n{just a comment}\n", {}, "", 0},
        {"{unterminated 1. e4 1-0", {}, "", 0},
    };
    for (const Case& c : cases) {
        std::string fault;
        int plies;
        EXPECT_EQ(read_all(c.text, fault, plies), c.statuses) << c.text;
        if (*c.fault) {
            EXPECT_EQ(fault, c.fault) << c.text;
        }
        EXPECT_EQ(plies, c.plies) << c.text;
    }
    // Binary junk of every byte value ends without harm.
    std::string junk;
    uint32_t state = 12345;
    for (int i = 0; i < 1 << 16; ++i) junk += char((state = state * 1103515245 + 12345) >> 16);
    std::string fault;
    int plies;
    read_all(junk + "\n[Event \"a\"]\n1. e4 1-0", fault, plies);
}

struct Expected {
    const char* san;
    uint32_t wins, draws, losses;
};

void expect_book_moves(const std::string& moves, const std::vector<Expected>& expected, const char* fen = nullptr) {
    static BookProbe found;
    book_probe(after(moves, fen), found);
    ASSERT_EQ(found.count, int(expected.size())) << moves;
    for (const Expected& e : expected) {
        Move move = move_after(moves, e.san, fen);
        int i = 0;
        while (i < found.count && found.moves[i].move != move) ++i;
        ASSERT_LT(i, found.count) << moves << " " << e.san;
        const BookMove& m = found.moves[i];
        EXPECT_EQ(m.flags, 0u);
        EXPECT_EQ(std::vector<uint32_t>({m.wins, m.draws, m.losses}),
                  std::vector<uint32_t>({e.wins, e.draws, e.losses})) << moves << " " << e.san;
    }
}

TEST_F(BookTest, MakebookWritesTheCountsItWasFedAndTheEnginePlaysThem) {
    const std::string games = std::string(TARVO_TEST_DATA) + "/makebook_games.pgn";
    const std::string out = ::testing::TempDir() + "makebook.bin";
    const char* fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    EngineOutput run = run_engine_script({}, 0, {"makebook", out, games, "--min-games", "1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("6 games read: 5 used, 1 unfinished, 0 skipped\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("15 positions and 18 moves written to " + out + "\n"), std::string::npos) << run.out;
    ASSERT_TRUE(book_open(out.c_str()));
    expect_book_moves("", {{"e4", 1, 1, 1}, {"d4", 0, 1, 0}});
    expect_book_moves("e4", {{"e5", 0, 1, 1}, {"c5", 1, 0, 0}});
    expect_book_moves("e4 e5", {{"Nf3", 1, 1, 0}});
    expect_book_moves("e4 e5 Nf3", {{"Nc6", 0, 0, 1}, {"Nf6", 0, 1, 0}});
    expect_book_moves("e4 e5 Nf3 Nc6 Bb5", {{"a6", 0, 0, 1}});
    expect_book_moves("", {{"e4", 1, 0, 0}}, fen);
    expect_book_moves("e4", {{"Kd7", 0, 0, 1}}, fen);
    expect_book_moves("e4 Kd7 Kd2", {}, fen);

    run = run_engine_script({}, 0, {"makebook", out, games, "--max-ply", "3", "--min-games", "2"});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(book_open(out.c_str()));
    expect_book_moves("", {{"e4", 1, 1, 1}});
    expect_book_moves("e4", {{"e5", 0, 1, 1}});
    expect_book_moves("e4 e5", {{"Nf3", 1, 1, 0}});
    expect_book_moves("e4 e5 Nf3", {});
    // A new peer starts from the defaults: no book.
    reset_options();
    expect_book_moves("", {});

    // In a game the book answers 1. e4, and has nothing after 1. h3.
    EngineSession engine;
    engine.send("uci\nsetoption name book value " + out + "\nsetoption name book_min_count value 1\n"
                "position startpos\ngo depth 2\n");
    std::string line;
    while (line.rfind("bestmove ", 0) != 0) ASSERT_TRUE(engine.next_line(line, 60));
    EXPECT_EQ(line, "bestmove e2e4");
    engine.send("position startpos moves h2h3\ngo depth 2\n");
    do ASSERT_TRUE(engine.next_line(line, 60));
    while (line.rfind("bestmove ", 0) != 0);
    engine.send("quit\n");
    EXPECT_TRUE(engine.exits_within(20));
    std::string log = engine.log();
    size_t selected = log.find("Book: selected e2-e4\n");
    EXPECT_NE(selected, std::string::npos) << log;
    EXPECT_NE(log.find("Book: (0 entries / 0 bytes / ", selected), std::string::npos) << log;
    EXPECT_NE(log.find("Book: No move selected.\n", selected), std::string::npos) << log;

    EXPECT_EQ(run_engine_script({}, 0, {"makebook", out}).status, 2);
    EXPECT_EQ(run_engine_script({}, 0, {"makebook", out, games, "--max-ply", "0"}).status, 2);
}

TEST_F(BookTest, MakebookReportsAndSkipsBadGames) {
    std::string text =
        "[Foo \"bar\"] [Weird_Tag \"x\"] 1. e4 e5 1-0\n"
        "1. e4 e5 2. Bb5 d6 3. Nf3 1-0\n"
        "1. d4 Zz9 0-1\n"
        "1. e4 e5 2.\n"
        "[Event \"next\"] 1. d4 d5 0-1\n";
    for (int byte = 0; byte < 256; ++byte) text += char(byte);
    const std::string pgn = write_file("bad.pgn", text), out = ::testing::TempDir() + "bad.bin";
    EngineOutput run = run_engine_script({}, 0, {"makebook", out, pgn, "--min-games", "1", "/nonexistent.pgn"});
    EXPECT_EQ(run.status, 1);
    for (const char* report : {"game 2 (line 2) skipped: illegal move \"d6\"\n",
                               "game 3 (line 3) skipped: unknown SAN \"Zz9\"\n",
                               "game 4 (line 5) skipped: truncated\n", "game 6 (line 6) skipped: junk",
                               "can't open /nonexistent.pgn (No such file or directory)\n"})
        EXPECT_NE(run.err.find(report), std::string::npos) << report << "\n" << run.err;
    EXPECT_NE(run.out.find("6 games read: 2 used, 0 unfinished, 4 skipped\n"), std::string::npos) << run.out;
    ASSERT_TRUE(book_open(out.c_str()));
    expect_book_moves("", {{"e4", 1, 0, 0}, {"d4", 0, 0, 1}});
}

}  // namespace
