#include "frontend/remote.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/log.h"
#include "frontend/frontend_state.h"
#include "platform/clock.h"
#include "platform/input_poll.h"
#include "platform/socket.h"

namespace {

constexpr int RECONNECT_PAUSE_MS = 5000;
// A failing accept is tried again at once, but not so fast that it floods the console.
constexpr int ACCEPT_RETRY_PAUSE_MS = 100;

struct RemoteLink {
    SocketAddress address;
    int engine_socket = NO_SOCKET;      // the server's listening socket, or the client's own
    int connection_socket = NO_SOCKET;  // the peer's connection while one stands
};

RemoteLink remote_link;

// Messages meant for whoever watches the engine's console.
void console(const char* format, ...) __attribute__((format(printf, 1, 2)));
void console(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

bool is_server() { return frontend.remote_mode == REMOTE_SERVER; }

void set_up_address() {
    remote_link.address.port = uint16_t(frontend.remote_port);
    if (std::strcmp(frontend.remote_ip, "any") != 0) {
        if (!parse_ipv4(frontend.remote_ip, remote_link.address.ip))
            log_fatal(1, "Couldn't parse IP address \"%s\" (error = %d)\n", frontend.remote_ip,
                      EINVAL);
        return;
    }
    if (!is_server()) log_fatal(1, "To connect to another computer, you must specify its IP.\n");
    remote_link.address.ip = any_ipv4();
}

void accept_peer() {
    for (;;) {
        console("Waiting for a connection on ip:port %s:%d\n", frontend.remote_ip,
                frontend.remote_port);
        SocketAddress peer;
        remote_link.connection_socket = socket_accept(remote_link.engine_socket, peer);
        if (remote_link.connection_socket >= 0) {
            char text[16];
            ipv4_text(peer.ip, text);
            console("Accepted connection from %s.\n", text);
            return;
        }
        console("accept() failed (error = %d).  Trying again ...\n", errno);
        sleep_ms(ACCEPT_RETRY_PAUSE_MS);
    }
}

// A socket that failed to connect cannot try again: every attempt takes a fresh one.
void connect_to_peer() {
    for (;;) {
        console("Connecting to %s:%d\n", frontend.remote_ip, frontend.remote_port);
        int& own = remote_link.engine_socket;
        if (own < 0) own = socket_open();
        if (own >= 0 && socket_connect(own, remote_link.address) == 0) {
            remote_link.connection_socket = own;
            console("Connected!\n");
            return;
        }
        console("connect() failed (error = %d). Trying again in 5 seconds.\n", errno);
        socket_close(own);
        own = NO_SOCKET;
        sleep_ms(RECONNECT_PAUSE_MS);
    }
}

// Shows each complete line of `data` with `prefix`.
void echo_lines(const char* prefix, const char* data, size_t size) {
    const char* end = data + size;
    for (const char* line = data; line < end;) {
        const char* newline = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
        if (!newline) break;
        std::printf("%s%.*s", prefix, int(newline - line + 1), line);
        line = newline + 1;
    }
    std::fflush(stdout);
}

}  // namespace

void remote_setup() {
    set_up_address();
    remote_link.engine_socket = socket_open();
    if (remote_link.engine_socket < 0) log_fatal(1, "Couldn't get socket (error = %d)\n", errno);
    if (!is_server()) return;
    if (socket_bind(remote_link.engine_socket, remote_link.address) != 0)
        log_fatal(1, "Couldn't bind() to port %d (error = %d)\n", frontend.remote_port, errno);
    if (socket_listen(remote_link.engine_socket) != 0)
        log_fatal(1, "listen() failed (error = %d)\n", errno);
}

void remote_open() {
    if (is_server())
        accept_peer();
    else
        connect_to_peer();
}

int remote_read(char* dest, int size, int timeout_ms) {
    int ready = socket_wait_readable(remote_link.connection_socket, timeout_ms);
    if (ready < 0) {
        log_print("select() failed (error = %d)\n", errno);
        return -1;
    }
    if (ready == 0) return 0;
    int count =
        socket_receive(remote_link.connection_socket, dest, std::min(size, INPUT_READ_SIZE));
    if (count < 0) log_print("recv() failed (error = %d)\n", errno);
    return count > 0 ? count : -1;
}

int remote_write(const char* data, size_t size) {
    echo_lines("< ", data, size);
    return socket_send_all(remote_link.connection_socket, data, size);
}

void remote_echo_received(const char* line) {
    size_t length = std::strlen(line);
    // A line cut to the line buffer's size has lost its newline.
    bool ended = length > 0 && line[length - 1] == '\n';
    std::printf("> %s%s", line, ended ? "" : "\n");
    std::fflush(stdout);
}

void remote_close() {
    console("Closing remote connection.\n");
    socket_close(remote_link.connection_socket);
    // The client's own socket was the connection: the next attempt takes a fresh one.
    if (remote_link.engine_socket == remote_link.connection_socket)
        remote_link.engine_socket = NO_SOCKET;
    remote_link.connection_socket = NO_SOCKET;
}
