#include <cstring>

#include "frontend/bench_command.h"
#include "frontend/command_line.h"
#include "frontend/connection.h"
#include "frontend/engine.h"
#include "frontend/frontend_state.h"
#include "frontend/game_control.h"
#include "frontend/makebook_command.h"
#include "search/search_driver.h"

int main(int argc, char** argv) {
    // A tool of its own: no log, no options file, no search threads.
    if (argc > 1 && std::strcmp(argv[1], "makebook") == 0) return makebook_command(argc - 2, argv + 2);
    engine_init();
    parse_command_line(argc, argv);
    if (frontend.bench_requested) {
        if (frontend.bench_threads > 0) set_threads(frontend.bench_threads);
        run_bench(frontend.bench_depth);
    } else {
        setup_io();
        run_connections();
    }
    search_threads_stop();
    return 0;
}
