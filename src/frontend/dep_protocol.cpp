#include "frontend/dep_protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/log.h"
#include "frontend/dep_output.h"
#include "frontend/engine.h"
#include "frontend/frontend_state.h"
#include "frontend/game_control.h"
#include "frontend/input.h"
#include "frontend/options.h"
#include "frontend/output.h"
#include "frontend/remote_options.h"
#include "frontend/xboard_arguments.h"
#include "frontend/xboard_protocol.h"
#include "search/search_driver.h"
#include "tablebase/tablebase.h"

namespace {

// What a clock text that does not read stands for.
constexpr double UNREADABLE_CLOCK_SECONDS = 50;

int ack_counter;

// The parameters an interface shows, in the order it lists them.
void announce_parameters() {
    out_print("$ parameter \"starttimeout\" integer constant 60\n");
    out_print("$ parameter \"processors\" integer [1;%d]\n", MAX_SEARCH_THREADS);
    out_print("$ parameter \"maxpvs\" integer constant 127\n");
    // The folder the engine really starts with: an interface that sends the default back must
    // keep the tables.
    out_print("$ parameter \"NalimovPath\" string \"%s\"\n", DEFAULT_TABLEBASE_PATH);
    for (const char* line : {
             "$ parameter \"NalimovCache\" integer [0;1G] 8M\n",
             "$ parameter \"Hashtable\" integer 64MB\n",
             "$ parameter \"KHash\" integer [1MB;100MB] 8MB\n",
             "$ parameter \"PHash\" integer [1MB;100MB] 1MB\n",
             "$ parameter \"TB Min Depth\" integer [1;128] 6 \n",
             "$ parameter \"Enable Null Move\" boolean true\n",
             "$ parameter \"Enable Multicut Pruning\" boolean false\n",
             "$ parameter \"Enable History Pruning\" boolean false\n",
             "$ parameter \"Enable Futility Pruning\" boolean false\n",
             "$ parameter \"Enable Singular Extensions\" boolean false\n",
             "$ parameter \"Enable Mate Extensions\" boolean false\n",
             "$ parameter \"Mate Extension Max Depth\" integer [1;100] 100\n",
             "$ parameter \"Eval Passed Pawn Scoring\" integer [0;500] 100\n",
             "$ parameter \"Eval Pawn Scoring\" integer [0;500] 100\n",
             "$ parameter \"Eval Minor Scoring\" integer [0;500] 100\n",
             "$ parameter \"Eval Major Scoring\" integer [0;500] 100\n",
             "$ parameter \"Eval Static Kingsafety Scoring\" integer [0;500] 100\n",
             "$ parameter \"Eval Dynamic Kingsafety Scoring\" integer [0;500] 100\n",
             "$ parameter \"Internet Lag\" integer [0;30000] 0\n",
         })
        out_print("%s", line);
}

void identify(const char*) {
    frontend.protocol = PROTO_DEP;
    ack_counter = 0;
    out_print("$ command atb\n");
    out_print("$ command atw\n");
    out_print("$ mainline Time time3 Depth integer Score int3 Positions integer Mainline moves "
              "NPS integer TB integer\n");
    out_print("$ parameter \"name\" string constant \"%s%s\"\n", ENGINE_NAME,
              frontend.remote_mode != REMOTE_NONE ? " Remote" : "");
    out_print("$ parameter \"author\" string constant \"%s\"\n", ENGINE_AUTHOR);
    announce_parameters();
    tablebase_wait_ready();
    out_print("$ engine is ready\n");
}

// "NAME=VALUE"; without "=" nothing happens.
void parameter(const char* args) {
    const char* equals = std::strchr(args, '=');
    if (!equals) return;
    char text[LINE_SIZE];
    std::snprintf(text, sizeof text, "%s", args);
    text[equals - args] = '\0';
    const char* name = trim(text);
    const char* value = trim(text + (equals - args) + 1);
    if (!remote_may_set_option(name, "dep_set_option():")) return;
    if (!set_option(name, value, 1)) log_print("Option name \"%s\" not found\n", name);
}

// A running search starts again with the new number of lines.
void multipv_command(const char* args) {
    bool was_searching = game_searching();
    game_stop_search();
    set_option("multipv", args, 1);
    if (was_searching) game_start_search();
}

void level_period(int index, const char* args) {
    LevelArguments level;
    if (read_level(args, level) != 0) {
        out_print("Couldn't parse level command \"%s\"\n", args);
        return;
    }
    set_period(index, level.base_seconds, level.increment_seconds, level.moves);
}

void level(const char* args) { level_period(0, args); }
void level2(const char* args) { level_period(1, args); }
void level3(const char* args) { level_period(2, args); }

void set_clock(int side, const char* args) {
    double seconds;
    if (read_dep_clock(args, seconds) != 0) {
        out_print("couldn't parse time string!!\n");
        seconds = UNREADABLE_CLOCK_SECONDS;
    }
    update_clock(side, seconds);
}

void atb(const char* args) { set_clock(BLACK, args); }
void atw(const char* args) { set_clock(WHITE, args); }

struct DepCommand {
    const char* name;
    void (*handle)(const char* args);
};

constexpr DepCommand COMMANDS[] = {
    {"dep", identify},  {"parameter", parameter}, {"multipv", multipv_command},
    {"level", level},   {"level2", level2},       {"level3", level3},
    {"atb", atb},       {"atw", atw},
};

// The commands that do what an XBoard command does, and that command's name.
constexpr const char* XBOARD_COMMANDS[][2] = {
    {"new", "new"},         {"move", "usermove"},   {"quit", "quit"},   {"go", "go"},
    {"play", "?"},          {"undo", "undo"},       {"remove", "remove"}, {"force", "force"},
    {"setboard", "setboard"}, {"analyze", "analyze"}, {"analyse", "analyze"},
    {"stop", "exit"},       {"white", "white"},     {"black", "black"},
};

// A word beginning with two squares ("e2e4", "e7e8q") is the opponent's move.
bool is_move_word(const char* word) {
    return std::strlen(word) >= 4 && word[0] >= 'a' && word[0] <= 'h' && word[1] >= '1' &&
           word[1] <= '8' && word[2] >= 'a' && word[2] <= 'h' && word[3] >= '1' && word[3] <= '8';
}

void run_command(const char* command, const char* args) {
    if (is_move_word(command)) {
        handle_xboard_command("usermove", command);
        return;
    }
    for (const DepCommand& entry : COMMANDS)
        if (std::strcmp(command, entry.name) == 0) {
            entry.handle(args);
            return;
        }
    for (const auto& [dep, xboard] : XBOARD_COMMANDS)
        if (std::strcmp(command, dep) == 0) {
            handle_xboard_command(xboard, args);
            return;
        }
}

}  // namespace

int read_dep_clock(const char* text, double& seconds) {
    int hours, minutes;
    if (std::sscanf(text, "%d:%d", &hours, &minutes) == 2)
        seconds = (hours * 60.0 + minutes) * 60.0;
    else if (std::sscanf(text, "%d", &minutes) == 1)
        seconds = minutes * 60.0;
    else
        return -1;
    seconds = std::clamp(seconds, -MAX_TIME_SECONDS, MAX_TIME_SECONDS);
    return 0;
}

void handle_dep_command(const char* command, const char* args) {
    // Searches start only from here, so the hooks are in place before any search reports.
    static bool hooks_installed = false;
    if (!hooks_installed) {
        set_protocol_hooks(PROTO_DEP, dep_hooks());
        hooks_installed = true;
    }
    run_command(command, args);
    out_print("ack %d\n", ++ack_counter);
}
