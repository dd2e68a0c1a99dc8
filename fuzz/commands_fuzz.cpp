// The whole command path: the input arrives on a pipe as the engine's standard input would, is
// cut into lines by the input buffer and handed to the dispatcher, before a protocol is chosen
// and after ("xboard", "uci" and "dep" in the input choose). Every search a line starts is cut
// to a tiny depth and played out before the next line, as the main loop would; the output goes
// to /dev/null. After each input the engine is as it started, so that runs are independent.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/attacks.h"
#include "frontend/connection.h"
#include "frontend/dispatch.h"
#include "frontend/frontend_state.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/input.h"
#include "frontend/output.h"
#include "frontend/xboard_output.h"
#include "fuzz_support.h"
#include "platform/clock.h"
#include "search/search_driver.h"
#include "search/table_sizing.h"

namespace {

constexpr int FUZZ_SEARCH_DEPTH = 2;
constexpr int PIPE_CHUNK = 32768;  // written at once, within any pipe's capacity
constexpr int FUZZ_PERFT_DEPTH = 2;

// Lines that are sound but too slow for a fuzzer: a deep perft takes minutes under the
// sanitizers, and a sleep waits for its time (the harness's input never ends).
bool too_slow_line(const char* command, const char* args) {
    if (std::strcmp(command, "sleep") == 0) return true;
    if (std::strcmp(command, "perft") != 0) return false;
    long depth = std::strtol(args, nullptr, 10);
    return depth > FUZZ_PERFT_DEPTH;
}

int input_pipe[2];  // its reading end is also standard input, as the engine's own
FrontEnd initial_frontend;
GameControl initial_game_control;
XboardFlags initial_xboard_flags;

// The main loop's turns while a search runs, until none is left; the capped depth ends every
// search soon, whatever its clock allows.
void play_out_searches() {
    static IterationRecord best;
    while (game_searching()) {
        periodic_status();
        int reason = search_stop_test();
        if (reason == STOP_NONE && search_reached_limit()) reason = STOP_FINISHED;
        print_progress(reason);
        if (reason != STOP_NONE && best_record(best))
            after_search(reason);
        else
            sleep_ms(0);
    }
    frontend.stop_reason = STOP_NONE;
}

void handle_waiting_lines() {
    char line[LINE_SIZE], words[LINE_SIZE];
    while (!frontend.close_requested && next_input_line(input_buffer, line, LINE_SIZE)) {
        std::memcpy(words, line, sizeof words);
        char* command;
        char* args;
        split_line(words, &command, &args);
        if (too_slow_line(command, args)) continue;
        dispatch_line(line);
        play_out_searches();
        flush_output();
    }
}

void feed(const uint8_t* data, size_t size) {
    for (size_t sent = 0; sent < size && !frontend.close_requested;) {
        size_t chunk = std::min(size - sent, size_t(PIPE_CHUNK));
        require(write(input_pipe[1], data + sent, chunk) == ssize_t(chunk), "the pipe takes the chunk");
        sent += chunk;
        while (read_input(input_buffer, 0) > 0) handle_waiting_lines();
    }
    terminate_partial_line(input_buffer);
    handle_waiting_lines();
}

// Whatever "quit" left unread, so that the next input starts on an empty pipe.
void drain_pipe() {
    char scrap[4096];
    while (read(0, scrap, sizeof scrap) > 0) {
    }
}

void reset_engine() {
    close_connection();
    drain_pipe();
    frontend = initial_frontend;
    game_control = initial_game_control;
    xboard_flags = initial_xboard_flags;
    new_game();
    request_table_clear();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Small tables clear fast; no log file is opened.
    hash_size = 1 << 18;
    khash_size = phash_size = 1 << 16;
    search_depth_cap = FUZZ_SEARCH_DEPTH;
    int null_output = open("/dev/null", O_WRONLY);
    if (null_output < 0 || dup2(null_output, 1) < 0 || pipe2(input_pipe, O_NONBLOCK) != 0 ||
        dup2(input_pipe[0], 0) < 0) {
        std::perror("fuzz_commands set-up");
        return 1;
    }
    init_attack_tables();
    new_game();
    search_threads_start(1);
    // The threads end before the static objects they wait on are destroyed.
    std::atexit(search_threads_stop);
    initial_frontend = frontend;
    initial_game_control = game_control;
    initial_xboard_flags = xboard_flags;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    open_connection();
    feed(data, size);
    reset_engine();
    return 0;
}
