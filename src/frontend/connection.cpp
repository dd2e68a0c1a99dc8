#include "frontend/connection.h"

#include <fcntl.h>

#include "common/log.h"
#include "frontend/dispatch.h"
#include "frontend/frontend_state.h"
#include "frontend/game_control.h"
#include "frontend/input.h"
#include "frontend/output.h"
#include "frontend/peer_reset.h"
#include "frontend/remote.h"
#include "platform/write_all.h"

void setup_io() {
    ignore_broken_pipe_signal();
    if (frontend.remote_mode != REMOTE_NONE) {
        remote_setup();
        return;
    }
    if (fcntl(0, F_GETFL) < 0)
        log_fatal(1, "setup_io():             standard input is not open.\n");
}

void open_connection() {
    if (frontend.remote_mode != REMOTE_NONE) remote_open();
    frontend.connected = true;
    frontend.stop_reason = STOP_NONE;
}

void close_connection() {
    if (frontend.remote_mode != REMOTE_NONE) remote_close();
    log_print("Closing remote connection.\n");
    frontend.close_requested = false;
    frontend.connected = false;
    input_buffer.fill = 0;
    input_buffer.discarding = false;
    input_buffer.ended = false;
    output_buffer.fill = 0;
    frontend.protocol = frontend.cmdline_protocol;
    game_stop_search();
    // Each peer starts from the settings the engine started with.
    if (frontend.remote_mode != REMOTE_NONE) reset_for_next_peer();
}

void request_quit() {
    frontend.close_requested = true;
    frontend.stop_reason = STOP_QUIT;
    if (frontend.remote_mode == REMOTE_NONE) frontend.quit_requested = true;
}

namespace {

void handle_waiting_lines() {
    char line[LINE_SIZE];
    while (frontend.connected && frontend.stop_reason == STOP_NONE && !frontend.close_requested &&
           next_input_line(input_buffer, line, LINE_SIZE)) {
        if (frontend.remote_mode != REMOTE_NONE) remote_echo_received(line);
        dispatch_line(line);
    }
}

// The running search's part of a turn: status, stop test, progress, and the hand-over once
// the search is to end and has a move to give.
void watch_search() {
    if (!game_searching()) {
        // Nothing is left to end: a reason set meanwhile must not hold the input back.
        frontend.stop_reason = STOP_NONE;
        return;
    }
    periodic_status();
    if (frontend.stop_reason == STOP_NONE) frontend.stop_reason = search_stop_test();
    print_progress(frontend.stop_reason);
    static IterationRecord best;
    if (frontend.stop_reason != STOP_NONE && best_record(best)) {
        after_search(frontend.stop_reason);
        frontend.stop_reason = STOP_NONE;
    }
}

// One turn of the main loop: poll, handle the complete lines, watch the search, send the
// output.
void connection_turn() {
    int count = read_input(input_buffer, game_searching() ? SEARCH_POLL_TIMEOUT_MS : INPUT_POLL_TIMEOUT_MS);
    bool input_ended = count < 0;
    if (input_ended) terminate_partial_line(input_buffer);
    handle_waiting_lines();
    watch_search();
    if (frontend.connected && !flush_output()) close_connection();
    if (frontend.connected && (frontend.close_requested || input_ended)) close_connection();
}

}  // namespace

void run_connections() {
    while (!frontend.quit_requested) {
        open_connection();
        while (frontend.connected) connection_turn();
        // Standard input and output do not come back once closed: reopening would only spin.
        if (frontend.remote_mode == REMOTE_NONE) frontend.quit_requested = true;
    }
}
