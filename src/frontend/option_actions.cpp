#include "frontend/option_actions.h"

#include <algorithm>
#include <cstdio>

#include "board/fen.h"
#include "common/log.h"
#include "common/settings.h"
#include "frontend/book_file.h"
#include "frontend/game_control.h"
#include "frontend/options_file.h"
#include "search/hash_table.h"
#include "search/search_driver.h"
#include "search/statistics_block.h"
#include "search/table_sizing.h"
#include "search/user_nodes.h"
#include "tablebase/tablebase.h"

namespace {

void mark_user_line(const char* fen, int include) {
    // A half-read FEN would name some other position (often the start position): nothing is
    // marked for it.
    static Position scratch;
    if (read_fen(scratch, fen) != PARSE_OK) {
        log_print("set_option(): couldn't parse inode string \"%s\"\n", fen);
        return;
    }
    if (!user_node_set(scratch.hash_key, include))
        log_print("set_option():           the user-line map is full; \"%s\" not added\n", fen);
}

}  // namespace

void restart_tablebases(int apply) {
    if (apply) tablebase_start(tb_path, static_cast<long long>(tb_cache_size));
}

void table_size_changed(int) { table_size_set_by_hand(); }

bool fits_every_thread(int64_t bytes) {
    return memory_available(uint64_t(bytes) * uint64_t(std::max(search_thread_count(), 1)));
}

void open_book(int) { book_open(book_file); }

void numa_changed(int) {
    int count = search_thread_count();
    if (count == 0) return;
    if (game_searching()) {
        log_print("set_option():           numa: the threads are not restarted during a search\n");
        return;
    }
    search_threads_stop();
    search_threads_start(count);
}

// The budget is split again even when it is the same total, if the sizes were set by hand since.
void set_memory(const OptionEntry& entry, const char* value, int) {
    int64_t total;
    if (!read_in_range(entry, value, total)) return;
    if (memory_mode && uint64_t(total) == memory_size) return;
    if (!memory_available(uint64_t(total))) {
        log_memory_refused(entry, total);
        return;
    }
    memory_size = uint64_t(total);
    log_option_value(entry, total);
    split_memory(memory_size, search_thread_count());
}

void set_thread_count(const OptionEntry& entry, const char* value, int) {
    int64_t n;
    if (!read_in_range(entry, value, n)) return;
    int count = search_thread_count();
    if (n == count) return;
    if (game_searching()) {
        set_threads(int(n));  // refused, with its message
        return;
    }
    log_option_value(entry, n);
    // From one budget, the old tables go before the new threads take their shares.
    if (memory_mode && count > 0) {
        split_memory(0, count);
        search_threads_resize();
    }
    set_threads(int(n));
    if (memory_mode) split_memory(memory_size, int(n));
}

void set_idle_timer(const OptionEntry& entry, const char* value, int) {
    unsigned long long rate;
    if (std::sscanf(value, "%llu", &rate) != 1) {
        log_print("set_option(): couldn't scan integer for option %s from buffer \"%s\"\n", entry.name, value);
        return;
    }
    if (rate == idletimer) return;
    idletimer = rate;
    log_print("set_option():           set idle timer to %llu iterations per second\n", rate);
}

void read_source(const OptionEntry&, const char* value, int) { parse_options_file(value); }

void clear_hash_tables(const OptionEntry&, const char*, int) {
    log_print("clearing hash tables\n");
    request_table_clear();
}

void evaluation_changed(int) { request_table_clear(); }

void include_user_line(const OptionEntry&, const char* value, int) { mark_user_line(value, 1); }
void exclude_user_line(const OptionEntry&, const char* value, int) { mark_user_line(value, 0); }
void clear_user_lines(const OptionEntry&, const char*, int) { user_nodes_clear(); }
