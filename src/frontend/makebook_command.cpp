#include "frontend/makebook_command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "frontend/book_writer.h"

namespace {

struct MakebookArgs {
    const char* out = nullptr;
    std::vector<const char*> inputs;
    int min_games = MAKEBOOK_DEFAULT_MIN_GAMES;
    int max_ply = MAKEBOOK_DEFAULT_MAX_PLY;
};

struct GameCounts {
    long games = 0;       // every game begun
    long used = 0;        // finished games counted into the book
    long unfinished = 0;  // "*"
    long faulty = 0;
};

bool read_number(const char* text, int min, int max, int& out) {
    char* end;
    long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < min || value > max) return false;
    out = int(value);
    return true;
}

bool parse_args(int argc, char** argv, MakebookArgs& args) {
    for (int i = 0; i < argc; ++i) {
        bool min_games = std::strcmp(argv[i], "--min-games") == 0;
        bool max_ply = std::strcmp(argv[i], "--max-ply") == 0;
        if (min_games || max_ply) {
            if (i + 1 == argc) return false;
            bool read = min_games ? read_number(argv[++i], 1, 1 << 30, args.min_games)
                                  : read_number(argv[++i], 1, PGN_KEPT_PLIES, args.max_ply);
            if (!read) return false;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return false;
        } else if (!args.out) {
            args.out = argv[i];
        } else {
            args.inputs.push_back(argv[i]);
        }
    }
    return args.out && !args.inputs.empty();
}

void count_game(int status, const PgnGame& game, const char* path, BookTally& tally, int max_ply,
                GameCounts& counts) {
    ++counts.games;
    if (status == PGN_GAME) {
        tally_game(tally, game, max_ply);
        ++counts.used;
    } else if (status == PGN_UNFINISHED) {
        ++counts.unfinished;
    } else {
        ++counts.faulty;
        std::fprintf(stderr, "makebook: %s: game %d (line %d) skipped: %s%s%s%s\n", path, game.number,
                     game.line, pgn_status_text(status), game.fault[0] ? " \"" : "", game.fault,
                     game.fault[0] ? "\"" : "");
    }
    if (counts.games % MAKEBOOK_PROGRESS_EVERY == 0)
        std::fprintf(stderr, "makebook: %ld games read\n", counts.games);
}

bool read_games(const char* path, BookTally& tally, int max_ply, GameCounts& counts) {
    static PgnGame game;
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "makebook: can't open %s (%s)\n", path, std::strerror(errno));
        return false;
    }
    PgnReader reader = pgn_reader(file);
    for (int status; (status = read_pgn_game(reader, game)) != PGN_END;)
        count_game(status, game, path, tally, max_ply, counts);
    std::fclose(file);
    return true;
}

}  // namespace

int makebook_command(int argc, char** argv) {
    MakebookArgs args;
    if (!parse_args(argc, argv, args)) {
        std::fprintf(stderr, "usage: tarvo makebook OUT.bin GAMES.pgn... [--min-games N (default %d)] "
                             "[--max-ply P (default %d, at most %d)]\n",
                     MAKEBOOK_DEFAULT_MIN_GAMES, MAKEBOOK_DEFAULT_MAX_PLY, PGN_KEPT_PLIES);
        return 2;
    }
    init_attack_tables();
    BookTally tally;
    GameCounts counts;
    bool all_read = true;
    for (const char* path : args.inputs) all_read &= read_games(path, tally, args.max_ply, counts);
    std::printf("makebook: %ld games read: %ld used, %ld unfinished, %ld skipped\n", counts.games,
                counts.used, counts.unfinished, counts.faulty);
    BookWriteCounts written;
    std::string error;
    if (!write_book(args.out, kept_moves(tally, args.min_games), written, error)) {
        std::fprintf(stderr, "makebook: can't write %s (%s)\n", args.out, error.c_str());
        return 1;
    }
    std::printf("makebook: %lld positions and %lld moves written to %s\n",
                (long long)written.positions, (long long)written.moves, args.out);
    return all_read ? 0 : 1;
}
