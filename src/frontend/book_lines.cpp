#include "frontend/book_lines.h"

#include <cctype>
#include <cstring>
#include <unordered_map>

#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/t_move_basics.h"

namespace {

// Every move of a line fits: the options file cuts lines at 1023 characters.
constexpr int MAX_LINE_MARKS = 512;

struct LineMark {
    uint64_t key;
    BookLineMove marked;
};

std::unordered_map<uint64_t, BookLineMove> book_line_map;

const char* skip_blanks(const char* s) {
    while (std::isspace(static_cast<unsigned char>(*s))) ++s;
    return s;
}

const char* skip_move_number(const char* s) {
    while (std::isdigit(static_cast<unsigned char>(*s)) || *s == '.') ++s;
    return s;
}

int mark_at(const char* s) {
    if (std::strncmp(s, "!!", 2) == 0) return BOOK_LINE_GOOD;
    if (std::strncmp(s, "??", 2) == 0) return BOOK_LINE_BAD;
    return 0;
}

// A move ends at a blank, the end, or its mark.
bool ends_move(char c) { return c == '\0' || std::isspace(static_cast<unsigned char>(c)) || c == '!' || c == '?'; }

}  // namespace

bool read_book_line(const char* text) {
    static Position p;
    static LineMark marks[MAX_LINE_MARKS];
    reset_position(p);
    int mark_count = 0, move_count = 0;
    uint64_t key_before = 0;
    Move last = NULL_MOVE;
    for (const char* s = skip_blanks(text); *s; s = skip_blanks(s)) {
        if (std::isdigit(static_cast<unsigned char>(*s))) {
            s = skip_move_number(s);
            continue;
        }
        if (int mark = mark_at(s)) {
            if (move_count == 0 || mark_count == MAX_LINE_MARKS) return false;
            marks[mark_count++] = {key_before, {last, mark}};
            s += 2;
            continue;
        }
        int consumed = 0;
        Move move;
        if (parse_move(p, s, &consumed, &move) != PARSE_OK || !is_legal_move(p, move) ||
            !ends_move(s[consumed]) || move_count == HISTORY_SIZE - 1)
            return false;
        key_before = p.hash_key;
        last = move;
        make_move(p, move);
        ++move_count;
        s += consumed;
    }
    if (move_count == 0) return false;
    for (int i = 0; i < mark_count; ++i) book_line_map[marks[i].key] = marks[i].marked;
    return true;
}

bool book_line_find(uint64_t key, BookLineMove& out) {
    auto found = book_line_map.find(key);
    if (found == book_line_map.end()) return false;
    out = found->second;
    return true;
}

int book_line_entries() { return int(book_line_map.size()); }

void book_lines_clear() { book_line_map.clear(); }
