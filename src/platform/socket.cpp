#include "platform/socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

sockaddr_in to_sockaddr(const SocketAddress& address) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = address.ip;
    a.sin_port = htons(address.port);
    return a;
}

// Protocol lines are small and answered at once: they go out without waiting to be joined.
void send_lines_at_once(int socket) {
    int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

bool parse_ipv4(const char* text, uint32_t& ip) {
    in_addr a;
    if (inet_pton(AF_INET, text, &a) != 1) return false;
    ip = a.s_addr;
    return true;
}

void ipv4_text(uint32_t ip, char* buffer) {
    in_addr a;
    a.s_addr = ip;
    if (!inet_ntop(AF_INET, &a, buffer, INET_ADDRSTRLEN)) buffer[0] = '\0';
}

uint32_t any_ipv4() { return htonl(INADDR_ANY); }

int socket_open() { return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }

int socket_bind(int socket, const SocketAddress& address) {
    int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = to_sockaddr(address);
    return bind(socket, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : -1;
}

int socket_listen(int socket) { return listen(socket, 1) == 0 ? 0 : -1; }

int socket_accept(int listening, SocketAddress& peer) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    int connection = accept4(listening, reinterpret_cast<sockaddr*>(&a), &length, SOCK_CLOEXEC);
    if (connection < 0) return -1;
    peer.ip = a.sin_addr.s_addr;
    peer.port = ntohs(a.sin_port);
    send_lines_at_once(connection);
    return connection;
}

int socket_connect(int socket, const SocketAddress& address) {
    sockaddr_in a = to_sockaddr(address);
    if (connect(socket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return -1;
    send_lines_at_once(socket);
    return 0;
}

int socket_wait_readable(int socket, int timeout_ms) {
    pollfd waiting{socket, POLLIN, 0};
    int ready = poll(&waiting, 1, timeout_ms);
    if (ready < 0) return errno == EINTR ? 0 : -1;
    return ready > 0 ? 1 : 0;
}

int socket_receive(int socket, char* dest, int size) {
    for (;;) {
        ssize_t count = recv(socket, dest, size_t(size), 0);
        if (count >= 0) return int(count);
        if (errno != EINTR) return -1;
    }
}

int socket_send_all(int socket, const char* data, size_t size) {
    while (size > 0) {
        ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        data += sent;
        size -= size_t(sent);
    }
    return 0;
}

void socket_close(int socket) {
    if (socket >= 0) close(socket);
}
