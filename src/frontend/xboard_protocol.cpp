#include "frontend/xboard_protocol.h"

#include <cstdio>
#include <cstring>

#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/result_text.h"
#include "common/log.h"
#include "frontend/connection.h"
#include "frontend/engine.h"
#include "frontend/eval_command.h"
#include "frontend/frontend_state.h"
#include "frontend/game.h"
#include "frontend/game_control.h"
#include "frontend/output.h"
#include "frontend/sleep_command.h"
#include "frontend/xboard_arguments.h"
#include "frontend/xboard_output.h"
#include "search/search_driver.h"
#include "tablebase/tablebase.h"

namespace {

constexpr int MIN_MOVE_TEXT = 4;
constexpr int MAX_MOVE_TEXT = 10;

// Stops the search; a ponder move on the board goes too, so that what follows sees the game.
void stop_thinking() {
    game_stop_search();
    if (game_control.pondering) {
        game_control.pondering = false;
        take_back();
    }
}

// An analysis goes on with whatever position it has been given.
void resume_analysis() {
    if (game_control.analyze_mode) game_start_search();
}

void announce_game_end(int state) {
    out_print("%s {%s}\n", result_short(state), result_text(state));
}

void protover(const char* args) {
    if (!is_protocol_version_2(args)) {
        out_print("Sorry, Tarvo requires version 2 of the XBoard protocol.\nNothing will work.\n");
        return;
    }
    out_print("feature done=0\n");
    out_print("feature usermove=1\n");
    out_print("feature myname=\"%s%s\"\n", ENGINE_NAME,
              frontend.remote_mode != REMOTE_NONE ? " remote" : "");
    out_print("feature colors=0\n");
    out_print("feature name=1\n");
    out_print("feature playother=1\n");
    out_print("feature ping=1\n");
    out_print("feature setboard=1\n");
    out_print("feature sigint=0\n");
    out_print("feature sigterm=0\n");
    out_print("feature analyze=1\n");
    out_print("feature ics=1\n");
    // The interface waits for "done=1"; what came before is sent now.
    flush_output();
    tablebase_wait_ready();
    out_print("feature done=1\n\n");
}

void new_command(const char*) {
    stop_thinking();
    game_control.force_mode = false;
    game_control.depth_limit = MAX_ITERATION;
    new_game();
    request_table_clear();
    resume_analysis();
}

void quit(const char*) { request_quit(); }

void force(const char*) {
    stop_thinking();
    game_control.force_mode = true;
}

void go(const char*) { play_side(game_position.turn); }
void playother(const char*) { play_side(game_position.turn ^ 1); }
void white(const char*) { play_side(BLACK); }
void black(const char*) { play_side(WHITE); }

void level(const char* args) {
    LevelArguments level;
    if (read_level(args, level) != 0) {
        out_print("Couldn't parse level command \"%s\"\n", args);
        return;
    }
    set_period(0, level.base_seconds, level.increment_seconds, level.moves);
}

void st(const char* args) {
    double seconds;
    if (read_move_seconds(args, seconds) != 0) {
        out_print("Couldn't parse time \"%s\"\n", args);
        return;
    }
    set_fixed_time(seconds);
}

void sd(const char* args) { game_control.depth_limit = read_depth_limit(args); }

void time_command(const char* args) {
    double seconds;
    if (read_clock_seconds(args, seconds) == 0) report_clock(OWN_CLOCK, seconds);
}

void otim(const char* args) {
    double seconds;
    if (read_clock_seconds(args, seconds) == 0) report_clock(OPPONENT_CLOCK, seconds);
}

// The opponent's move was the one pondered on: the ponder search becomes the engine's own.
void ponder_hit() {
    charge_clock(game_control.engine_side ^ 1);
    prepare_budget();
    IterationRecord best;
    bool has_best = best_record(best);
    if (has_best && xboard_flags.post) {
        char line[THINKING_LINE_LIMIT + 2];
        format_thinking_line(line, game_position, best);
        out_print("%s", line);
    }
    // A ponder search that has already ended is played at once, like any finished search.
    if (!game_searching() && has_best) after_search(STOP_FINISHED);
}

void usermove(const char* args) {
    size_t length = std::strlen(args);
    if (length < MIN_MOVE_TEXT || length > MAX_MOVE_TEXT) {
        out_print("Illegal Move {Move to short/long. Enter moves as e1g1} %s\n", args);
        return;
    }
    if (game_state() != RESULT_INCOMPLETE) {
        out_print("Illegal Move {Game is already over. Sorry.} %s\n", args);
        return;
    }
    if (game_control.pondering) {
        game_control.pondering = false;
        if (names_move(args, game_control.ponder_move)) {
            ponder_hit();
            return;
        }
        game_stop_search();
        take_back();
    }
    if (!game_control.force_mode) game_stop_search();
    Move move;
    if (parse_move(game_position, args, nullptr, &move) != PARSE_OK ||
        !is_legal_move(game_position, move)) {
        out_print("Illegal Move %s\n", args);
        return;
    }
    int state = make_game_move(move);
    if (state != RESULT_INCOMPLETE) {
        announce_game_end(state);
        return;
    }
    if (game_control.force_mode) return;
    take_engine_side(game_position.turn);
    charge_clock(game_position.turn ^ 1);
    prepare_budget();
    game_start_search();
}

void move_now(const char*) {
    // Without a search nothing would ever clear the reason, and input would stay unread.
    if (game_searching()) frontend.stop_reason = STOP_AND_PLAY;
}

void ping(const char* args) { out_print("pong %s\n", args); }

void result(const char* args) {
    stop_thinking();
    if (game_state() != RESULT_INCOMPLETE) return;
    if (std::strncmp(args, "1-0", 3) == 0) set_game_state(RESULT_WHITE_WINS);
    else if (std::strncmp(args, "0-1", 3) == 0) set_game_state(RESULT_BLACK_WINS);
    else if (std::strncmp(args, "1/2-1/2", 7) == 0) set_game_state(RESULT_DRAW);
    log_print("Result: %s\n", args);
}

void setboard(const char* args) {
    stop_thinking();
    if (set_game_fen(args) != 0) out_print("Couldn't parse fen!\n");
    request_table_clear();
    resume_analysis();
}

void take_back_moves(int count) {
    stop_thinking();
    for (int i = 0; i < count; ++i)
        if (take_back() != 0) break;
    resume_analysis();
}

void undo(const char* args) {
    int count;
    if (std::sscanf(args, "%d", &count) != 1) count = 1;
    take_back_moves(count);
}

void remove_command(const char*) { take_back_moves(2); }

void hard(const char*) { game_control.ponder_enabled = true; }
void easy(const char*) { game_control.ponder_enabled = false; }
void post(const char*) { xboard_flags.post = true; }
void nopost(const char*) { xboard_flags.post = false; }

void analyze(const char*) {
    // A search already running (the engine's own, or a ponder search with its move on the
    // board) would otherwise stand in for the analysis. The pondering setting stays as the
    // games want it: an analysis plays no move to ponder after.
    stop_thinking();
    game_control.analyze_mode = true;
    game_control.force_mode = false;
    game_start_search();
}

void exit_command(const char*) {
    game_control.analyze_mode = false;
    stop_thinking();
}

void ics(const char* args) { xboard_flags.ics_mode = std::strcmp(args, "-") != 0; }

void xboard(const char*) { out_print("\n\n"); }

struct XboardCommand {
    const char* name;
    void (*handle)(const char* args);
};

// "draw" and every command not listed are ignored without an answer.
constexpr XboardCommand COMMANDS[] = {
    {"xboard", xboard},     {"protover", protover},   {"new", new_command},
    {"quit", quit},         {"force", force},         {"go", go},
    {"playother", playother}, {"white", white},       {"black", black},
    {"level", level},       {"st", st},               {"sd", sd},
    {"time", time_command}, {"otim", otim},           {"usermove", usermove},
    {"?", move_now},        {"ping", ping},           {"result", result},
    {"setboard", setboard}, {"undo", undo},           {"remove", remove_command},
    {"hard", hard},         {"easy", easy},           {"post", post},
    {"nopost", nopost},     {"analyze", analyze},     {"exit", exit_command},
    {"ics", ics},           {"sleep", sleep_command}, {"eval", eval_command},
};

}  // namespace

void handle_xboard_command(const char* command, const char* args) {
    // Searches start only from here, so the hooks are in place before any search reports.
    static bool hooks_installed = false;
    if (!hooks_installed) {
        set_protocol_hooks(PROTO_XBOARD, xboard_hooks());
        hooks_installed = true;
    }
    for (const XboardCommand& entry : COMMANDS)
        if (std::strcmp(command, entry.name) == 0) {
            entry.handle(args);
            return;
        }
}
