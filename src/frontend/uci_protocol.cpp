#include "frontend/uci_protocol.h"

#include <cstring>

#include "frontend/connection.h"
#include "frontend/engine.h"
#include "frontend/frontend_state.h"
#include "frontend/output.h"

void uci_identify() {
    frontend.protocol = PROTO_UCI;
    out_print("id name %s%s\n", ENGINE_NAME, frontend.remote_mode != REMOTE_NONE ? " Remote" : "");
    out_print("id author %s\n", ENGINE_AUTHOR);
    out_print("uciok\n");
}

void handle_uci_command(const char* command, const char* args) {
    (void)args;
    if (std::strcmp(command, "uci") == 0) {
        uci_identify();
    } else if (std::strcmp(command, "quit") == 0) {
        request_quit();
    }
    // Every other command is ignored without an answer.
}
