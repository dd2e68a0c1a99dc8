// The game as the front-end keeps it: the current game position.
#pragma once

#include "board/position.h"

extern Position game_position;

// The start position.
void new_game();
// Sets the game position from FEN text. On failure returns -1 and leaves the game as it was.
int set_game_fen(const char* fen);
