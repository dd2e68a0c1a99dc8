#include "frontend/dispatch.h"

#include <cstring>

#include "frontend/dep_protocol.h"
#include "frontend/first_command.h"
#include "frontend/frontend_state.h"
#include "frontend/input.h"
#include "frontend/uci_protocol.h"
#include "frontend/xboard_protocol.h"

void split_line(char* line, char** command, char** args) {
    char* space = std::strchr(line, ' ');
    char* rest = line + std::strlen(line);
    if (space) {
        *space = '\0';
        rest = space + 1;
    }
    *command = trim(line);
    *args = trim(rest);
}

void dispatch_line(char* line) {
    char* command;
    char* args;
    split_line(line, &command, &args);
    switch (frontend.protocol) {
        case PROTO_XBOARD: handle_xboard_command(command, args); break;
        case PROTO_UCI: handle_uci_command(command, args); break;
        case PROTO_DEP: handle_dep_command(command, args); break;
        default: handle_first_command(command, args); break;
    }
}
