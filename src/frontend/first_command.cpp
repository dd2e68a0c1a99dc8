#include "frontend/first_command.h"

#include <cstring>

#include "frontend/bench_command.h"
#include "frontend/connection.h"
#include "frontend/dep_protocol.h"
#include "frontend/eval_command.h"
#include "frontend/frontend_state.h"
#include "frontend/game.h"
#include "frontend/output.h"
#include "frontend/perft_command.h"
#include "frontend/sleep_command.h"
#include "frontend/uci_protocol.h"

void handle_first_command(const char* command, const char* args) {
    if (std::strcmp(command, "uci") == 0) {
        uci_identify();
    } else if (std::strcmp(command, "xboard") == 0) {
        out_print("\n\n");
        frontend.protocol = PROTO_XBOARD;
    } else if (std::strcmp(command, "dep") == 0) {
        handle_dep_command(command, args);
    } else if (std::strcmp(command, "new") == 0) {
        new_game();
    } else if (std::strcmp(command, "setboard") == 0) {
        if (set_game_fen(args) != 0) out_print("Couldn't parse fen!\n");
    } else if (std::strcmp(command, "perft") == 0) {
        perft_command(args);
    } else if (std::strcmp(command, "sleep") == 0) {
        sleep_command(args);
    } else if (std::strcmp(command, "bench") == 0) {
        bench_command(args);
    } else if (std::strcmp(command, "eval") == 0) {
        eval_command(args);
    } else if (std::strcmp(command, "quit") == 0) {
        request_quit();
    }
    // Anything else is ignored without an answer.
}
