#include "frontend/command_line.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "common/log.h"
#include "frontend/frontend_state.h"

namespace {

void select_protocol(int protocol) {
    frontend.protocol = protocol;
    frontend.cmdline_protocol = protocol;
}

// "ip:port", or a port alone for a server, an address alone for a client.
void parse_address(int mode, const char* address) {
    frontend.remote_mode = mode;
    if (std::strchr(address, ':')) {
        if (std::sscanf(address, "%63[^:]:%d", frontend.remote_ip, &frontend.remote_port) < 2)
            log_fatal(1, "Couldn't parse IP:Port pair %s\n", address);
    } else if (mode == REMOTE_SERVER) {
        std::snprintf(frontend.remote_ip, REMOTE_IP_SIZE, "any");
        // A port that does not scan leaves the default.
        std::sscanf(address, "%d", &frontend.remote_port);
    } else {
        std::snprintf(frontend.remote_ip, REMOTE_IP_SIZE, "%s", address);
        frontend.remote_port = DEFAULT_REMOTE_PORT;
    }
}

}  // namespace

void parse_command_line(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (strcasecmp(argument, "uci") == 0) {
            select_protocol(PROTO_UCI);
        } else if (strcasecmp(argument, "dep") == 0) {
            select_protocol(PROTO_DEP);
        } else if (strcasecmp(argument, "bench") == 0) {
            frontend.bench_requested = true;
            // An optional depth follows, then an optional number of threads.
            if (i + 1 < argc && std::sscanf(argv[i + 1], "%d", &frontend.bench_depth) == 1) ++i;
            if (i + 1 < argc && std::sscanf(argv[i + 1], "%d", &frontend.bench_threads) == 1) ++i;
        } else if (strcasecmp(argument, "inet_server") == 0 ||
                   strcasecmp(argument, "inet_client") == 0) {
            if (i + 1 == argc)
                log_fatal(1, "inet_server and inet_client options require an IP/port string.\n");
            int mode = strcasecmp(argument, "inet_server") == 0 ? REMOTE_SERVER : REMOTE_CLIENT;
            parse_address(mode, argv[++i]);
        } else {
            std::fprintf(stderr, "Unknown command line option \"%s\"\n", argument);
        }
    }
}
