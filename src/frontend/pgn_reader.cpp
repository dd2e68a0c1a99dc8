#include "frontend/pgn_reader.h"

#include <cctype>
#include <cstring>

#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/t_move_basics.h"

namespace {

constexpr int TAG_NAME_SIZE = 32;
constexpr int TAG_VALUE_SIZE = 128;
// Characters that end a word of move text and begin something else.
constexpr const char* DELIMITERS = "{}()[];$";

enum TokenKind { TOKEN_END, TOKEN_TAG, TOKEN_WORD };

struct Word {
    char text[PGN_TOKEN_SIZE];
    bool junk;  // too long for any move, or holding control bytes
};

int next_char(PgnReader& r) {
    int c = std::getc(r.file);
    r.at_line_start = c == '\n';
    if (c == '\n') ++r.line;
    return c;
}

bool is_blank(int c) { return c != EOF && std::isspace(c); }

bool is_delimiter(int c) { return c > 0 && std::strchr(DELIMITERS, c); }

void skip_line(PgnReader& r) {
    int c;
    while ((c = next_char(r)) != EOF && c != '\n') {
    }
}

void skip_comment(PgnReader& r) {
    int c;
    while ((c = next_char(r)) != EOF && c != '}') {
    }
}

// A variation ends at its matching parenthesis; comments inside it may hold parentheses.
void skip_variation(PgnReader& r) {
    int depth = 1, c;
    while (depth > 0 && (c = next_char(r)) != EOF) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == '{') skip_comment(r);
        if (c == ';') skip_line(r);
    }
}

void read_word(PgnReader& r, int first, Word& w) {
    int length = 0, c = first;
    w.junk = false;
    do {
        if (c < ' ' || c == 127 || length == PGN_TOKEN_SIZE - 1) w.junk = true;
        else w.text[length++] = char(c);
        c = next_char(r);
    } while (c != EOF && !is_blank(c) && !is_delimiter(c));
    // A comment or variation may follow a move without a blank.
    if (c != EOF && !is_blank(c)) std::ungetc(c, r.file);
    w.text[length] = '\0';
}

// The next tag opening or word; comments, variations and NAGs are passed over.
int next_token(PgnReader& r, Word& w) {
    for (;;) {
        bool line_start = r.at_line_start;
        int c = next_char(r);
        if (c == EOF) return TOKEN_END;
        if (is_blank(c)) continue;
        if (c == ';' || (c == '%' && line_start)) skip_line(r);
        else if (c == '{') skip_comment(r);
        else if (c == '(') skip_variation(r);
        else if (c == '$') {
            while (std::isdigit(c = next_char(r))) {
            }
            if (c != EOF && !is_blank(c)) std::ungetc(c, r.file);
        } else if (c == '[') return TOKEN_TAG;
        else {
            read_word(r, c, w);
            return TOKEN_WORD;
        }
    }
}

void skip_blanks(PgnReader& r, int& c) {
    while (is_blank(c)) c = next_char(r);
}

// The rest of a tag after its "[": a name, a quoted value (with \" and \\), "]". False on a
// broken tag, whose line is then skipped.
bool read_tag(PgnReader& r, char* name, char* value) {
    int c = next_char(r), n = 0;
    skip_blanks(r, c);
    while (c != EOF && (std::isalnum(c) || c == '_') && n < TAG_NAME_SIZE - 1) {
        name[n++] = char(c);
        c = next_char(r);
    }
    name[n] = '\0';
    skip_blanks(r, c);
    bool good = n > 0 && c == '"';
    for (n = 0, c = good ? next_char(r) : EOF; c != EOF && c != '"' && c != '\n'; c = next_char(r)) {
        if (c == '\\') c = next_char(r);
        if (n < TAG_VALUE_SIZE - 1) value[n++] = char(c);
    }
    value[n] = '\0';
    if (good && c == '"') c = next_char(r), skip_blanks(r, c);
    if (good && c == ']') return true;
    if (c != '\n' && c != EOF) skip_line(r);
    return false;
}

bool read_result(const char* word, int& result) {
    static constexpr struct { const char* text; int result; } RESULTS[] = {
        {"1-0", PGN_WHITE_WINS}, {"0-1", PGN_BLACK_WINS}, {"1/2-1/2", PGN_DRAW}, {"*", -1}};
    for (const auto& known : RESULTS)
        if (std::strcmp(word, known.text) == 0) {
            result = known.result;
            return true;
        }
    return false;
}

bool only_marks(const char* s) { return s[std::strspn(s, "!?")] == '\0'; }

bool san_characters(const char* s) {
    for (; *s; ++s)
        if (!std::isalnum(static_cast<unsigned char>(*s)) && !std::strchr("=+#-!?", *s)) return false;
    return true;
}

// A move number, a move, or both ("12.", "12...", "1.e4"); plays the move on `p`.
int play_word(Position& p, const Word& w, PgnGame& g) {
    const char* s = w.text;
    while (std::isdigit(static_cast<unsigned char>(*s))) ++s;
    while (*s == '.') ++s;
    if (*s == '\0' && !w.junk) return PGN_GAME;
    Move move;
    int consumed = 0;
    int code = w.junk ? PARSE_SYNTAX : parse_move(p, s, &consumed, &move);
    if (code == PARSE_OK && only_marks(s + consumed)) {
        if (!is_legal_move(p, move)) return PGN_ILLEGAL_MOVE;
        if (g.ply_count < PGN_KEPT_PLIES) g.plies[g.ply_count] = {p.hash_key, move, p.turn};
        ++g.ply_count;
        p.hist_top = 0;  // nothing is taken back: any game length fits the history
        make_move(p, move);
        return PGN_GAME;
    }
    if (w.junk || !san_characters(s)) return PGN_JUNK;
    return code == PARSE_NO_PIECE ? PGN_ILLEGAL_MOVE : PGN_UNKNOWN_SAN;
}

// The game's first move text: the position its FEN tag gives, or the start position.
int set_up(Position& p, const char* fen) {
    if (!*fen) {
        reset_position(p);
        return PGN_GAME;
    }
    return read_fen(p, fen) == PARSE_OK ? PGN_GAME : PGN_BAD_FEN;
}

void note_fault(PgnReader& r, PgnGame& g, const char* text) {
    g.line = r.line;
    std::snprintf(g.fault, sizeof g.fault, "%s", text);
}

}  // namespace

PgnReader pgn_reader(FILE* file) { return {file, 1, true, 0}; }

int read_pgn_game(PgnReader& r, PgnGame& g) {
    static Position p;
    char name[TAG_NAME_SIZE], value[TAG_VALUE_SIZE], fen[TAG_VALUE_SIZE] = "";
    Word w;
    bool started = false, in_moves = false;
    int status = PGN_GAME;
    g.ply_count = 0;
    g.fault[0] = '\0';
    for (;;) {
        int kind = next_token(r, w);
        if (kind == TOKEN_END && !started) return PGN_END;
        if (!started) g.number = ++r.games;
        started = true;
        if (kind == TOKEN_END || (kind == TOKEN_TAG && in_moves)) {
            // The next game's tags are left for the next call.
            if (kind == TOKEN_TAG) std::ungetc('[', r.file);
            if (status == PGN_GAME) g.line = r.line;
            return status == PGN_GAME ? PGN_TRUNCATED : status;
        }
        if (kind == TOKEN_TAG) {
            if (read_tag(r, name, value)) {
                if (std::strcmp(name, "FEN") == 0) std::snprintf(fen, sizeof fen, "%s", value);
            } else if (status == PGN_GAME) {
                status = PGN_JUNK;
                note_fault(r, g, "[");
                in_moves = true;  // the next tags begin the next game
            }
            continue;
        }
        int result;
        if (!w.junk && read_result(w.text, result)) {
            if (status != PGN_GAME) return status;
            g.line = r.line;
            g.result = result;
            return result < 0 ? PGN_UNFINISHED : PGN_GAME;
        }
        if (!in_moves && status == PGN_GAME && (status = set_up(p, fen)) != PGN_GAME)
            note_fault(r, g, fen);
        in_moves = true;
        if (status == PGN_GAME && (status = play_word(p, w, g)) != PGN_GAME) note_fault(r, g, w.text);
    }
}

const char* pgn_status_text(int status) {
    static constexpr const char* TEXTS[] = {"a game", "the end of the input", "unfinished (\"*\")",
                                            "unknown SAN", "illegal move", "truncated", "junk",
                                            "bad FEN"};
    return status >= PGN_GAME && status <= PGN_BAD_FEN ? TEXTS[status] : "?";
}
