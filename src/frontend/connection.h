// The connection with the interface and the main loop that serves it.
#pragma once

// Prepares standard input and output, or the remote link's socket.
void setup_io();
// In remote mode, waits until a peer is connected.
void open_connection();
// In remote mode the engine then goes back to its start-up settings for the next peer.
void close_connection();
// What every protocol's "quit" does: end the connection after this line, and the process.
void request_quit();
// Serves connections until the engine is to quit.
void run_connections();
