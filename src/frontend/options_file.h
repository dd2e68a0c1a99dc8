// The options file ("tarvo.ini"): one option per line ("hash 128M"), or a book line of moves
// from the start position. "#" starts a comment; lines beginning "[]" are skipped.
#pragma once

// Reads the file at `path`; a missing file is logged and changes nothing. Each option line
// goes to set_option; any other line must be a book line, or it is logged with its number.
void parse_options_file(const char* path);
// parse_options_file, then the tablebases start with the configured path and cache.
void load_options(const char* path);
