// What setting an option does beyond storing it: table sizes, threads, tablebases, the
// user-line map, reading another options file.
#pragma once

#include <cstdint>

#include "frontend/option_table.h"

// A tablebase path or cache size changed: with `apply`, the tables are initialised again.
void restart_tablebases(int apply);
// `hash`, `khash` or `phash` changed: sizes per table from now on, applied at the next search.
void table_size_changed(int apply);
// Whether every running thread could get a table of `bytes`.
bool fits_every_thread(int64_t bytes);
// `book` changed: the named book file replaces the open one, if it can be read.
void open_book(int apply);
// `numa` changed: the threads stop and start again, so that their tables are placed anew.
void numa_changed(int apply);
// After a change to the evaluation: clears the tables, whose stored evaluations no longer hold.
void evaluation_changed(int apply);

// Commands: options that read their own values.
void set_memory(const OptionEntry& entry, const char* value, int apply);
void set_thread_count(const OptionEntry& entry, const char* value, int apply);
void set_idle_timer(const OptionEntry& entry, const char* value, int apply);
void read_source(const OptionEntry& entry, const char* value, int apply);
void clear_hash_tables(const OptionEntry& entry, const char* value, int apply);
void include_user_line(const OptionEntry& entry, const char* value, int apply);
void exclude_user_line(const OptionEntry& entry, const char* value, int apply);
void clear_user_lines(const OptionEntry& entry, const char* value, int apply);
