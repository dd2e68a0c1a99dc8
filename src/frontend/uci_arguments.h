// Reading the argument texts of UCI commands. Each reader reports a failure by its return value.
#pragma once

// What a "go" command asks for, from the side to move's view. Values the command did not give
// stay as the defaults below.
struct GoArguments {
    bool ponder = false;
    bool infinite = false;
    bool has_remaining = false;
    double remaining = 0;   // seconds on the clock of the side to move
    double increment = 0;   // seconds, of the side to move
    int moves_to_go = 2000;
    int depth_limit = 63;
    double fixed = -1;      // seconds per move from "movetime"; -1 for none
};

// Reads the "go" parameters for `side_to_move` (WHITE or BLACK). The other side's clock and
// increment, "nodes", "mate" and unknown words are skipped. Clocks are cut to a year either side
// of 0, a move time to 0 up to a year, "movestogo" to at least 1 and "depth" to 1..63.
void read_go_arguments(const char* text, int side_to_move, GoArguments& go);

// The option name and value of a "setoption" text ("name N value V"): the trimmed texts after
// the first "name" up to the first "value", and after "value". Without "value" the value is
// "0" (a button). Returns -1 without a "name" tag or with "value" before it; texts longer than
// `size` - 1 are cut.
int read_setoption(const char* text, char* name, char* value, int size);
