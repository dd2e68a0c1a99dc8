#include "common/score_text.h"

#include <cstdio>

#include "common/settings.h"
#include "common/types.h"

namespace {

constexpr int MATE_SCORE = 10000;
constexpr int MATE_SCORE_BOUND = 9500;  // beyond it a score is a mate score

}  // namespace

const char* score_text(int score, bool mate_form, bool as_pawns, int turn) {
    static char text[32];
    if (!scorepov && turn == BLACK) score = -score;
    if (mate_form && score > MATE_SCORE_BOUND)
        std::snprintf(text, sizeof text, "MAT%d", (MATE_SCORE + 1 - score) / 2);
    else if (mate_form && score < -MATE_SCORE_BOUND)
        std::snprintf(text, sizeof text, "-MAT%d", (score + MATE_SCORE) / 2);
    else if (as_pawns)
        std::snprintf(text, sizeof text, "%.2f", score / 100.0);
    else
        std::snprintf(text, sizeof text, "%d", score);
    return text;
}

int count_text(char* buffer, int64_t n) {
    return std::sprintf(buffer, "%lld", static_cast<long long>(n));
}
