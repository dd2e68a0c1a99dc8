#include "frontend/book_select.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/notation.h"
#include "common/log.h"
#include "common/settings.h"
#include "frontend/book_lines.h"
#include "platform/clock.h"

namespace {

// The weights are shown as shares of this when they are all 0.
constexpr double NO_WEIGHT_TOTAL = 1e9;
constexpr int RANDOM_RANGE = 32767;

const char* flag_text(uint32_t flags) {
    if (flags & BOOK_LINE_BAD_FLAG) return "?L";
    if (flags & BOOK_LINE_GOOD_FLAG) return "!L";
    if (flags & BOOK_FILE_BAD) return "??";
    if (flags & BOOK_FILE_GOOD) return "!!";
    return "  ";
}

double games_of(const BookMove& m) { return double(m.wins) + double(m.draws) + double(m.losses); }

// Half a point a draw, a point a win, over the games (0 without games).
double score_of(const BookMove& m) {
    return (double(m.draws) + 2.0 * double(m.wins)) / std::max(2.0 * games_of(m), 1.0);
}

// A book line's mark replaces the file's flags of its move, or adds the move without games.
void merge_book_line(Position& p, BookProbe& probe) {
    BookLineMove line;
    if (!book_line_find(p.hash_key, line) || !is_legal_move(p, line.move)) return;
    uint32_t flags = uint32_t(line.mark) << 2;
    for (int i = 0; i < probe.count; ++i)
        if (probe.moves[i].move == line.move) {
            probe.moves[i].flags = flags;
            return;
        }
    probe.moves[probe.count++] = {line.move, flags, 0, 0, 0};
}

void log_candidate(const BookMove& m, double weight, double total) {
    log_print("%-6s %5.1f%% %s [%5.1f%%, +%u, -%u, =%u]\n", move_text(m.move),
              weight * 100.0 / (total > 0 ? total : NO_WEIGHT_TOTAL), flag_text(m.flags),
              score_of(m) * 100.0, m.wins, m.losses, m.draws);
}

// Draws a candidate in proportion to the weights. Moves of weight 0 are never drawn, and
// rounding that leaves a little of the draw over gives the last move with weight.
int draw_candidate(const double* weights, int count, double total) {
    double x = double(std::rand() & RANDOM_RANGE) * total / RANDOM_RANGE;
    int chosen = -1;
    for (int i = 0; i < count; ++i) {
        if (weights[i] <= 0) continue;
        chosen = i;
        x -= weights[i];
        if (x <= 0) break;
    }
    return chosen;
}

}  // namespace

double book_move_weight(const BookMove& m, uint32_t all_flags) {
    double n = games_of(m), p = score_of(m);
    if (m.flags & BOOK_LINE_BAD_FLAG) return 0;
    if ((m.flags & BOOK_FILE_BAD) && !(m.flags & BOOK_LINE_GOOD_FLAG)) return 0;
    if (m.flags & BOOK_LINE_GOOD_FLAG) return 1.0;
    if (m.flags & BOOK_FILE_GOOD) {
        if (!((all_flags & BOOK_LINE_GOOD_FLAG) && bookline_exclams_invalidate_book_exclams))
            return std::pow(n, 0.75) * std::max(0.3, p);
        return 0;
    }
    if (all_flags & (BOOK_FILE_GOOD | BOOK_LINE_GOOD_FLAG)) return 0;
    bool enough = p >= book_min_win_percent / 100.0 && n >= book_min_count && m.wins >= 0.1 * n;
    return enough ? p * p * n : 0;
}

Move book_select(const Position& position) {
    static Position p;
    static BookProbe probe;
    p = position;
    uint64_t start = now_us();
    book_probe(p, probe);
    log_print("Book: (%d entries / %u bytes / %.3gs)\n", probe.count, probe.bucket_bytes,
              double(now_us() - start) / 1e6);
    merge_book_line(p, probe);
    uint32_t all_flags = 0;
    for (int i = 0; i < probe.count; ++i) all_flags |= probe.moves[i].flags;
    double weights[BOOK_MAX_CANDIDATES], total = 0;
    for (int i = 0; i < probe.count; ++i) total += weights[i] = book_move_weight(probe.moves[i], all_flags);
    for (int i = 0; i < probe.count; ++i) log_candidate(probe.moves[i], weights[i], total);
    if (total <= 0) {
        log_print("Book: No move selected.\n\n");
        return NULL_MOVE;
    }
    Move chosen = probe.moves[draw_candidate(weights, probe.count, total)].move;
    log_print("Book: selected %s\n\n", move_text(chosen));
    return chosen;
}
