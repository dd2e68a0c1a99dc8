// The number of search threads, changed only between searches.
#include <algorithm>

#include "common/log.h"
#include "frontend/game_control.h"
#include "search/search_driver.h"
#include "search/table_sizing.h"
#include "search/trans_table.h"

void set_threads(int n) {
    n = std::clamp(n, 1, MAX_THREADS);
    int count = search_thread_count();
    if (n == count) return;
    if (game_searching()) {
        if (n > count)
            log_print("game_start_thread(%d) called during a search.  This should not happen.\n", count);
        else
            log_print("game_stop_thread(%d) called during a search.  This should not happen.\n",
                      count - 1);
        return;
    }
    while (count > n) {
        log_print("game_stop_thread(): stopping CPU%d\n", --count);
        search_thread_stop(count);
    }
    while (count < n) search_thread_start(count++);
    resize_pending = 1;  // the new threads allocate their tables at the next search start
}
