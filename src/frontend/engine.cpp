#include "frontend/engine.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "board/attacks.h"
#include "common/log.h"
#include "frontend/book_select.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/options.h"
#include "frontend/options_file.h"
#include "platform/clock.h"
#include "search/search_driver.h"
#include "search/table_sizing.h"

namespace {

bool initialised = false;

void open_log() {
    // Without the file the engine still runs, only without a log.
    FILE* file = std::fopen("tarvo_log.txt", "w");
    if (file) game_add_log(file);
}

void log_banner() {
    log_print("Tarvo %s%s starting up!\n", "Harrow", " x64");
    log_print("This version was compiled on %s at %s.\n", __DATE__, __TIME__);
    char features[128];
    std::snprintf(features, sizeof features, " LINUX AMD64 SMP(%d) NUMA SUPERCOMPUTER NALIMOV",
                  MAX_SEARCH_THREADS);
    log_print("Flags:%s\n\n", features);
}

}  // namespace

void engine_init() {
    if (initialised) return;
    std::srand(unsigned(std::time(nullptr)));
    init_attack_tables();
    game_position = Position{};
    open_log();
    log_banner();
    if (!clock_works())
        log_fatal(1, "This system doesn't appear to support a monotonic clock, which Tarvo needs "
                     "to run.  Sorry.\n");
    new_game();
    book_lookup = book_select;
    reset_options();
    search_threads_start(1);
    // The file may change the thread count and the table sizes; the threads then take their
    // tables before the first search.
    load_options("tarvo.ini");
    if (resize_pending) search_threads_resize();
    initialised = true;
}
