// TCP over IPv4 for the remote link: a listening or connecting socket, waiting to read with a
// timeout, and whole sends. Failures return -1 with errno set, so the callers can show it.
#pragma once

#include <cstddef>
#include <cstdint>

struct SocketAddress {
    uint32_t ip;    // network byte order
    uint16_t port;  // host byte order
};

constexpr int NO_SOCKET = -1;

// The dotted IPv4 text ("127.0.0.1") into `ip`; false when it is not one.
bool parse_ipv4(const char* text, uint32_t& ip);
// The address as dotted text; `buffer` holds at least 16 bytes.
void ipv4_text(uint32_t ip, char* buffer);
uint32_t any_ipv4();

// A new TCP stream socket, or -1.
int socket_open();
// Binds to `address`; the port can be bound again at once after the engine has ended, even
// while its closed connections linger. Returns 0 or -1.
int socket_bind(int socket, const SocketAddress& address);
// Listens for one waiting connection. Returns 0 or -1.
int socket_listen(int socket);
// Waits for a connection; returns its socket and the peer's address, or -1.
int socket_accept(int listening, SocketAddress& peer);
// Returns 0 once connected, or -1.
int socket_connect(int socket, const SocketAddress& address);
// Waits at most `timeout_ms` for `socket` to have bytes (or the peer's close) to read.
// Returns 1 when it has, 0 when the time ran out, -1 on an error.
int socket_wait_readable(int socket, int timeout_ms);
// Receives at most `size` bytes. Returns the count, 0 when the peer has closed the connection,
// or -1 on an error.
int socket_receive(int socket, char* dest, int size);
// Sends all `size` bytes, going on after partial sends. A peer that has gone is an error, never
// a signal. Returns 0 or -1.
int socket_send_all(int socket, const char* data, size_t size);
void socket_close(int socket);
