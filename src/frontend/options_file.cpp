#include "frontend/options_file.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "common/log.h"
#include "common/settings.h"
#include "frontend/book_lines.h"
#include "frontend/input.h"
#include "frontend/options.h"
#include "tablebase/tablebase.h"

namespace {

constexpr int LINE_SIZE_LIMIT = 1024;
constexpr int NAME_SIZE = 129;
// Files that name each other with `source` stop here instead of recursing without end.
constexpr int MAX_SOURCE_DEPTH = 8;

int source_depth = 0;

// Reads the next line into `line` (at most LINE_SIZE_LIMIT - 1 characters); the rest of a
// longer line is dropped, so that its tail is never read as a line of its own.
bool read_line(FILE* file, char* line) {
    if (!std::fgets(line, LINE_SIZE_LIMIT, file)) return false;
    if (!std::strchr(line, '\n')) {
        int c;
        while ((c = std::fgetc(file)) != EOF && c != '\n') {
        }
    }
    return true;
}

// The line without its comment and blanks; empty when nothing is left to read.
char* content_of(char* line) {
    if (char* comment = std::strchr(line, '#')) *comment = '\0';
    char* text = trim(line);
    if (std::strncmp(text, "[]", 2) == 0) *text = '\0';
    return text;
}

// One content line; false when it is neither an option nor a book line.
bool read_content(char* text, int& book_lines) {
    char name[NAME_SIZE];
    size_t length = std::strcspn(text, " \t\r\n\v\f");
    std::snprintf(name, sizeof name, "%.*s", int(length), text);
    if (set_option(name, text + length, 0)) return true;
    if (!read_book_line(text)) return false;
    ++book_lines;
    return true;
}

}  // namespace

void parse_options_file(const char* path) {
    if (source_depth >= MAX_SOURCE_DEPTH) {
        log_print("parse_options_file(): %s is sourced too deeply, skipped.\n", path);
        return;
    }
    FILE* file = std::fopen(path, "r");
    if (!file) {
        log_print("parse_options_file(): couldn't open %s, using defaults.\n", path);
        return;
    }
    ++source_depth;
    char line[LINE_SIZE_LIMIT];
    int line_number = 0, book_lines = 0;
    while (read_line(file, line)) {
        ++line_number;
        char* text = content_of(line);
        if (*text && !read_content(text, book_lines))
            log_print("Bad option in file %s on line %d.\n", path, line_number);
    }
    --source_depth;
    if (book_lines > 0) log_print("parse_options_file(%s): found %d booklines\n", path, book_lines);
    std::fclose(file);
}

void load_options(const char* path) {
    parse_options_file(path);
    tablebase_start(tb_path, static_cast<long long>(tb_cache_size));
}
