#include "frontend/uci_protocol.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "board/movegen.h"
#include "board/notation.h"
#include "board/fen.h"
#include "board/result_text.h"
#include "common/log.h"
#include "frontend/connection.h"
#include "frontend/engine.h"
#include "frontend/frontend_state.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/options.h"
#include "frontend/output.h"
#include "frontend/remote_options.h"
#include "frontend/uci_arguments.h"
#include "frontend/uci_output.h"
#include "frontend/xboard_arguments.h"
#include "search/search_driver.h"
#include "search/search_options.h"
#include "tablebase/tablebase.h"

namespace {

// The options an interface shows, in the order it lists them.
constexpr const char* OPTION_LINES[] = {
    "option name MultiPV type spin default 1 min 1 max 127\n",
    "option name NalimovPath type string default /usr/share/gaviotatb/gtb4\n",
    "option name NalimovCache type spin default 8 min 0 max 128\n",
    "option name UCI_ShowCurrLine type check default false\n",
    "option name Hash type spin default 128 min 4 max 16384\n",
    "option name Clear Hash Tables type button\n",
    "option name Threads type spin default 1 min 1 max 512\n",
    "option name TB Min Depth type spin default 4 min 1 max 128\n",
    "option name Enable Null Move type check default true\n",
    "option name Enable History Pruning type check default true\n",
    "option name Enable Singular Extensions type check default true\n",
    "option name Singular Margin type spin default 75 min 25 max 100\n",
    "option name Singular Margin PV type spin default 50 min 25 max 100\n",
    "option name Enable Mate Extensions type check default false\n",
    "option name Enable Deep PVs type check default false\n",
    "option name Eval Passed Pawn Scoring type spin default 100 min 0 max 500\n",
    "option name Eval Pawn Scoring type spin default 100 min 0 max 500\n",
    "option name Eval Minor Scoring type spin default 100 min 0 max 500\n",
    "option name Eval Major Scoring type spin default 100 min 0 max 500\n",
    "option name Eval Kingsafety Scoring type spin default 100 min 0 max 500\n",
    "option name Smooth Mobility type check default false\n",
    "option name Internet Lag type spin default 0 min 0 max 30000\n",
    // Interfaces send "go ponder" only to engines that list this; the engine ponders whenever
    // asked, so the value itself is not stored.
    "option name Ponder type check default false\n",
};

// Room for an option text beyond what the options accept, so that they refuse it whole.
constexpr int OPTION_TEXT_SIZE = 4096;
constexpr int MOVE_WORD_SIZE = 64;

// Stops any search without answering it; a ponder search's move goes with it.
void stop_thinking() {
    game_stop_search();
    uci_state.answer_owed = false;
    if (game_control.pondering) {
        game_control.pondering = false;
        take_back();
    }
}

// The answer to the last "go" when its search has ended without giving it.
void send_owed_answer() {
    if (!uci_state.answer_owed) return;
    IterationRecord best;
    send_bestmove(game_position, best_record(best) ? &best : nullptr);
}

void uci(const char*) { uci_identify(); }

void setoption(const char* args) {
    char name[OPTION_TEXT_SIZE], value[OPTION_TEXT_SIZE + 1];
    if (read_setoption(args, name, value, OPTION_TEXT_SIZE) != 0) {
        out_print("handle_uci_command():0 Bad format for option. \"name\" or \"value\" tag not "
                  "found.\n");
        return;
    }
    if (strcasecmp(name, "ponder") == 0) return;
    // Interfaces give the table sizes in MiB.
    for (const char* in_mib : {"hash", "khash", "phash", "nalimovcache"})
        if (strcasecmp(name, in_mib) == 0) std::strcat(value, "M");
    if (!remote_may_set_option(name, "uci_set_option():")) return;
    // The interface's Hash is the whole memory budget, not one table.
    const char* target = strcasecmp(name, "hash") == 0 ? "memory" : name;
    if (!set_option(target, value, 1)) log_print("Option name \"%s\" not found\n", name);
}

// Makes the moves listed after the first word of `text`, each only when legal; the first that
// is not stops the list, and the moves before it stay made.
void play_listed_moves(const char* text) {
    char word[MOVE_WORD_SIZE];
    int used = 0;
    bool listing = false;  // the first word ("moves") is passed over
    while (std::sscanf(text, " %63s%n", word, &used) == 1) {
        text += used;
        if (!listing) {
            listing = true;
            continue;
        }
        Move move;
        if (parse_move(game_position, word, nullptr, &move) != PARSE_OK ||
            !is_legal_move(game_position, move)) {
            out_print("Couldn't parse move %s\n", word);
            return;
        }
        play_setup_move(move);
    }
}

void position(const char* args) {
    stop_thinking();
    const char* rest;
    if (std::strncmp(args, "startpos", 8) == 0) {
        reset_game_position();
        rest = args + 8;
    } else if (std::strncmp(args, "fen", 3) == 0) {
        int used = 0;
        if (set_game_fen(args + 3, &used) != 0) {
            out_print("Couldn't parse FEN %s.\n", args);
            return;
        }
        rest = args + 3 + used;
    } else {
        out_print("Invalid UCI position command: %s\n", args);
        return;
    }
    play_listed_moves(rest);
}

void go(const char* args) {
    stop_thinking();
    GoArguments go;
    read_go_arguments(args, game_position.turn, go);
    GameControl& g = game_control;
    TimeBudget& b = g.budget;
    g.pondering = go.ponder;
    g.depth_limit = go.depth_limit;
    b.moves_to_go = go.moves_to_go;
    b.fixed = go.infinite ? INFINITE_MOVE_SECONDS : go.fixed;
    b.increment = go.increment;
    b.remaining = go.has_remaining ? go.remaining : g.clock[g.engine_side];
    set_game_state(RESULT_INCOMPLETE);
    allocate_budget();
    uci_state.answer_owed = true;
    game_start_search();
    // A position without a legal move has nothing to search, and the interface waits.
    if (!game_searching()) send_bestmove(game_position, nullptr);
}

void stop(const char*) {
    if (game_searching()) {
        frontend.stop_reason = STOP_AND_PLAY;
        return;
    }
    if (game_control.pondering) {
        game_control.pondering = false;
        take_back();
    }
    send_owed_answer();
}

void ponderhit(const char*) {
    game_control.pondering = false;
    if (!game_searching()) {
        send_owed_answer();
        return;
    }
    allocate_budget();
    IterationRecord best;
    if (best_record(best)) {
        char line[UCI_LINE_SIZE];
        format_uci_info(line, best, multipv > 1 ? 1 : 0);
        out_print("%s", line);
    }
}

void ucinewgame(const char*) {
    stop_thinking();
    game_control.force_mode = false;
    game_control.depth_limit = MAX_ITERATION;
    new_game();
    request_table_clear();
}

void isready(const char*) {
    tablebase_wait_ready();
    out_print("readyok\n");
}

void quit(const char*) { request_quit(); }

struct UciCommand {
    const char* name;
    void (*handle)(const char* args);
};

// Every command not listed is ignored without an answer.
constexpr UciCommand COMMANDS[] = {
    {"uci", uci},   {"setoption", setoption}, {"position", position},   {"go", go},
    {"stop", stop}, {"ponderhit", ponderhit}, {"ucinewgame", ucinewgame}, {"isready", isready},
    {"quit", quit},
};

}  // namespace

void uci_identify() {
    frontend.protocol = PROTO_UCI;
    out_print("id name %s%s\n", ENGINE_NAME, frontend.remote_mode != REMOTE_NONE ? " Remote" : "");
    out_print("id author %s\n", ENGINE_AUTHOR);
    for (const char* line : OPTION_LINES) out_print("%s", line);
    out_print("uciok\n");
}

void handle_uci_command(const char* command, const char* args) {
    // Searches start only from here, so the hooks are in place before any search reports.
    static bool hooks_installed = false;
    if (!hooks_installed) {
        set_protocol_hooks(PROTO_UCI, uci_hooks());
        hooks_installed = true;
    }
    for (const UciCommand& entry : COMMANDS)
        if (std::strcmp(command, entry.name) == 0) {
            entry.handle(args);
            return;
        }
}
