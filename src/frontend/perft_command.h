// The "perft" command: counts the leaves of the legal move tree from the game position.
#pragma once

// `args` holds the depth: without a whole number the usage line is sent, and a depth the
// position's history has no room for is refused.
void perft_command(const char* args);
