// "tarvo makebook OUT.bin GAMES.pgn... [--min-games N] [--max-ply P]": builds a book file from
// PGN games. Progress and the games that could not be read go to standard error, the totals to
// standard output.
#pragma once

constexpr int MAKEBOOK_DEFAULT_MIN_GAMES = 2;
constexpr int MAKEBOOK_DEFAULT_MAX_PLY = 30;
constexpr int MAKEBOOK_PROGRESS_EVERY = 10000;

// The arguments after "makebook". Returns the exit status: 0 when the book was written from
// every input, 1 when an input could not be opened or the book not written, 2 for bad usage.
int makebook_command(int argc, char** argv);
