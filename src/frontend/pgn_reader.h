// Reading games from PGN text: tags, then move text of SAN moves with move numbers, ending in
// a result token. Comments ({..}, ;.. and %.. lines), variations and NAGs are skipped. A game
// that cannot be read is reported with the reason and the reader goes on with the next one.
#pragma once

#include <cstdint>
#include <cstdio>

#include "board/position.h"

// The first plies of a game that are kept; later moves are still read and checked.
constexpr int PGN_KEPT_PLIES = 512;
constexpr int PGN_TOKEN_SIZE = 64;

enum PgnStatus : int {
    PGN_GAME,          // a finished game
    PGN_END,           // no game before the end of the input
    PGN_UNFINISHED,    // the result token is "*"
    PGN_UNKNOWN_SAN,   // a word that reads as no move
    PGN_ILLEGAL_MOVE,  // a move that the position does not allow
    PGN_TRUNCATED,     // the input or the next game's tags came before the result token
    PGN_JUNK,          // bytes that are neither PGN nor a move, or a broken tag
    PGN_BAD_FEN,       // a FEN tag that does not read as a position
};

enum PgnResult : int { PGN_BLACK_WINS, PGN_DRAW, PGN_WHITE_WINS };

struct PgnPly {
    uint64_t key;  // of the position before the move
    Move move;
    int side;      // the colour that made the move
};

struct PgnGame {
    int number;       // games begun in this input, this one included
    int line;         // where the game ended or its fault was found
    int result;       // a PgnResult, for PGN_GAME
    int ply_count;    // every ply read
    PgnPly plies[PGN_KEPT_PLIES];  // the first ones
    char fault[PGN_TOKEN_SIZE];    // the word where a fault was found
};

struct PgnReader {
    FILE* file;
    int line;
    bool at_line_start;
    int games;
};

PgnReader pgn_reader(FILE* file);
// Reads the next game into `game`; returns a PgnStatus. After a fault the rest of the game is
// skipped up to its result token or the next game's tags.
int read_pgn_game(PgnReader& reader, PgnGame& game);
// The reason of a status, in words.
const char* pgn_status_text(int status);
