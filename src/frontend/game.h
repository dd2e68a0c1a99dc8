// The game as the front-end keeps it: the game position, the moves played on it and the state
// after the last one. Main thread only.
#pragma once

#include "board/position.h"

// Room the search needs beyond the game in the position's history; the game keeps below this.
constexpr int GAME_HISTORY_LIMIT = HISTORY_SIZE - 256;

extern Position game_position;

// A new game: the start position and state, clocks reset, pondering off (game_control.cpp).
void new_game();
// The start position and state, with no moves (new_game's part for the game itself).
void reset_game_position();
// Sets the game position from FEN text; `consumed` (when given) receives the characters read. On
// failure returns -1 and leaves the game as it was.
int set_game_fen(const char* fen, int* consumed = nullptr);
// Plays a legal move in the game; returns the new game state (GameResult code).
int make_game_move(Move move);
// Plays a move that sets the game up (a UCI "position" list): the game begins after it, and
// neither the ply counter nor the state change. The move must be legal.
void play_setup_move(Move move);
// Takes back the last move of the game; -1 when there is none. The game is in progress again.
int take_back();
// The state after the last move (GameResult code, RESULT_INCOMPLETE while in progress).
int game_state();
// Sets the state from outside, for a result the interface announces.
void set_game_state(int state);
// Moves played since the start position or the FEN.
int game_move_count();
