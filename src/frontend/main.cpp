#include "frontend/command_line.h"
#include "frontend/connection.h"
#include "frontend/engine.h"

int main(int argc, char** argv) {
    engine_init();
    parse_command_line(argc, argv);
    setup_io();
    run_connections();
    return 0;
}
