#include "frontend/peer_reset.h"

#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/options.h"
#include "frontend/options_file.h"
#include "frontend/uci_output.h"
#include "frontend/xboard_output.h"
#include "search/search_driver.h"
#include "search/table_sizing.h"

void reset_for_next_peer() {
    game_stop_search();
    game_control = GameControl{};
    new_game();
    request_table_clear();
    xboard_flags = XboardFlags{};
    uci_state = UciState{};
    // Threads to be stopped would first take tables of the reset sizes.
    set_threads(1);
    reset_options();
    load_options("tarvo.ini");
    // A peer's larger tables are given back now, not at the next peer's first search.
    if (resize_pending) search_threads_resize();
}
