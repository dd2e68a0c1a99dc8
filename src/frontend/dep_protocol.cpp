#include "frontend/dep_protocol.h"

#include <cstring>

#include "frontend/connection.h"
#include "frontend/engine.h"
#include "frontend/frontend_state.h"
#include "frontend/output.h"
#include "tablebase/tablebase.h"

namespace {

int ack_counter;

void dep_identify() {
    frontend.protocol = PROTO_DEP;
    ack_counter = 0;
    const char* remote = frontend.remote_mode != REMOTE_NONE ? " Remote" : "";
    out_print("$ command atb\n");
    out_print("$ command atw\n");
    out_print("$ mainline Time time3 Depth integer Score int3 Positions integer Mainline moves "
              "NPS integer TB integer\n");
    out_print("$ parameter \"name\" string constant \"%s%s\"\n", ENGINE_NAME, remote);
    out_print("$ parameter \"author\" string constant \"%s\"\n", ENGINE_AUTHOR);
    out_print("$ parameter \"starttimeout\" integer constant 60\n");
    tablebase_wait_ready();
    out_print("$ engine is ready\n");
}

}  // namespace

void handle_dep_command(const char* command, const char* args) {
    (void)args;
    if (std::strcmp(command, "dep") == 0) {
        dep_identify();
    } else if (std::strcmp(command, "quit") == 0) {
        request_quit();
    }
    out_print("ack %d\n", ++ack_counter);
}
