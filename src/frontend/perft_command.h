// The "perft" command: counts the leaves of the legal move tree from the game position.
#pragma once

// `args` holds the depth: without a whole number the usage line is sent, and a depth the
// position's history has no room for is refused. "quit" or the end of input arriving while it
// counts gives the count up, without a total.
void perft_command(const char* args);
