// The front-end's own state: protocol in use, link mode and connection flags. Main thread only.
#pragma once

enum Protocol : int { PROTO_NONE = 0, PROTO_XBOARD = 1, PROTO_UCI = 2, PROTO_DEP = 3 };
enum RemoteMode : int { REMOTE_NONE = 0, REMOTE_SERVER = 1, REMOTE_CLIENT = 2 };

// Why the running search is to end.
enum StopReason : int { STOP_NONE = 0, STOP_AND_PLAY = 1, STOP_QUIT = 2, STOP_FINISHED = 3 };

constexpr int REMOTE_IP_SIZE = 64;
constexpr int DEFAULT_REMOTE_PORT = 6000;

struct FrontEnd {
    int protocol = PROTO_NONE;
    int cmdline_protocol = PROTO_NONE;  // what `protocol` falls back to when a connection closes
    int remote_mode = REMOTE_NONE;
    char remote_ip[REMOTE_IP_SIZE] = "";  // "any" for a server listening on every interface
    int remote_port = DEFAULT_REMOTE_PORT;
    bool connected = false;
    bool close_requested = false;  // end the connection after the current line
    bool quit_requested = false;   // end the process once the connection has closed
    int stop_reason = STOP_NONE;
    bool bench_requested = false;  // the command line asked for "bench": run it and exit
    int bench_depth = 0;           // 0 for the default
    int bench_threads = 0;         // 0 keeps the current number of search threads
};

extern FrontEnd frontend;
