// Game results: the codes game control records and their texts.
#pragma once

enum GameResult : int {
    RESULT_WHITE_WINS = 0,
    RESULT_BLACK_WINS = 1,
    RESULT_DRAW = 2,
    RESULT_INCOMPLETE = 3,
    RESULT_DRAW_REPETITION = 4,
    RESULT_DRAW_FIFTY_MOVES = 5,
    RESULT_DRAW_MATERIAL = 6,
    RESULT_STALEMATE = 7,
    RESULT_WHITE_MATES = 8,
    RESULT_BLACK_MATES = 9,
    RESULT_WHITE_RESIGNS = 10,
    RESULT_BLACK_RESIGNS = 11,
    RESULT_WHITE_WINS_ON_TIME = 12,
    RESULT_BLACK_WINS_ON_TIME = 13,
    RESULT_CODES = 14
};

// The outcome of a result code: RESULT_WHITE_WINS, RESULT_BLACK_WINS, RESULT_DRAW or
// RESULT_INCOMPLETE. An unknown code is logged and counts as no result.
int simplify_result(int code);
// "White wins", "Draw by repetition", ...; "Incomplete" for an unknown code.
const char* result_text(int code);
// "1-0", "0-1", "1/2-1/2" or "*".
const char* result_short(int code);
