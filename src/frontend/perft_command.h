// The "perft" command: counts the leaves of the legal move tree from the game position.
#pragma once

// `args` holds the depth; without one the usage line is sent.
void perft_command(const char* args);
