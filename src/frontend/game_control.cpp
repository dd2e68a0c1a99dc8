#include "frontend/game_control.h"

#include "board/result_text.h"
#include "frontend/frontend_state.h"
#include "search/search_shared.h"

GameControl game_control;

void new_game() {
    game_stop_search();
    reset_game_position();
    game_control.pondering = false;
    game_control.engine_moves = 0;
    game_control.engine_side = BLACK;
    game_control.readings[OWN_CLOCK] = game_control.readings[OPPONENT_CLOCK] = ClockReading{};
    game_control.clock[WHITE] = game_control.clock[BLACK] = game_control.periods[0].base_time;
    game_control.budget.moves_to_go = -1;
    game_control.clock_running = false;
}

void play_side(int side) {
    game_stop_search();
    if (game_control.pondering) {
        game_control.pondering = false;
        take_back();
    }
    game_control.force_mode = false;
    take_engine_side(side);
    if (game_position.turn == side && game_state() == RESULT_INCOMPLETE) {
        prepare_budget();
        game_start_search();
    }
}
