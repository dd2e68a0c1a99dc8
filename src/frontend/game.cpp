#include "frontend/game.h"

#include "board/fen.h"

Position game_position;

void new_game() { reset_position(game_position); }

int set_game_fen(const char* fen) {
    // read_fen leaves a half-set position behind on failure, so it never writes the game.
    static Position scratch;
    if (read_fen(scratch, fen) != PARSE_OK) return -1;
    game_position = scratch;
    return 0;
}
