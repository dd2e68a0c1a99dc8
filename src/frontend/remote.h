// The remote link: the protocol lines travel over one TCP connection, the engine either serving
// ("inet_server") or connecting ("inet_client"). Main thread only.
#pragma once

#include <cstddef>

// Sets up the socket once at start-up; every failure ends the process with its message.
void remote_setup();
// Returns once a connection stands: the server waits for a peer, the client connects, retrying
// every 5 seconds, each time with a fresh socket.
void remote_open();
// Waits at most `timeout_ms` for bytes and receives at most `size` of them. Returns the count,
// 0 when nothing came, -1 when the connection is to close (an error, or the peer closed it).
int remote_read(char* dest, int size, int timeout_ms);
// Shows each line on the console, then sends all the bytes. Returns 0, or -1 on an error.
int remote_write(const char* data, size_t size);
// Shows a received line on the console.
void remote_echo_received(const char* line);
void remote_close();
