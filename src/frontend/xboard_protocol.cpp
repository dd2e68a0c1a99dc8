#include "frontend/xboard_protocol.h"

#include <cstring>

#include "frontend/connection.h"
#include "frontend/output.h"

void handle_xboard_command(const char* command, const char* args) {
    (void)args;
    if (std::strcmp(command, "xboard") == 0) {
        out_print("\n\n");
    } else if (std::strcmp(command, "quit") == 0) {
        request_quit();
    }
    // Every other command is ignored without an answer.
}
