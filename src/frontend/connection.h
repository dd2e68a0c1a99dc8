// The connection with the interface and the main loop that serves it.
#pragma once

// Prepares standard input and output (the remote link is not part of this build).
void setup_io();
void open_connection();
void close_connection();
// What every protocol's "quit" does: end the connection after this line, and the process.
void request_quit();
// Serves connections until the engine is to quit.
void run_connections();
