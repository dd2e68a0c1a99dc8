#include "board/result_text.h"

#include "common/log.h"

namespace {

struct ResultInfo {
    const char* text;
    int outcome;
};

constexpr ResultInfo RESULTS[RESULT_CODES] = {
    {"White wins", RESULT_WHITE_WINS},
    {"Black wins", RESULT_BLACK_WINS},
    {"Draw", RESULT_DRAW},
    {"Incomplete", RESULT_INCOMPLETE},
    {"Draw by repetition", RESULT_DRAW},
    {"Draw by 50 move rule", RESULT_DRAW},
    {"Draw by lack of material", RESULT_DRAW},
    {"Stalemate", RESULT_DRAW},
    {"White mates", RESULT_WHITE_WINS},
    {"Black mates", RESULT_BLACK_WINS},
    {"White resigns", RESULT_BLACK_WINS},
    {"Black resigns", RESULT_WHITE_WINS},
    {"White wins on time", RESULT_WHITE_WINS},
    {"Black wins on time", RESULT_BLACK_WINS},
};

constexpr const char* SHORT_FORMS[4] = {"1-0", "0-1", "1/2-1/2", "*"};

bool known(int code) { return code >= 0 && code < RESULT_CODES; }

}  // namespace

int simplify_result(int code) {
    if (known(code)) return RESULTS[code].outcome;
    log_print("Unknown result to simplify!!\n");
    return RESULT_INCOMPLETE;
}

const char* result_text(int code) { return known(code) ? RESULTS[code].text : "Incomplete"; }

const char* result_short(int code) { return SHORT_FORMS[simplify_result(code)]; }
