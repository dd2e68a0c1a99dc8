#include "frontend/remote_options.h"

#include <cstring>

#include "common/log.h"
#include "common/settings.h"
#include "frontend/frontend_state.h"
#include "frontend/option_text.h"
#include "frontend/options.h"

namespace {

// Table names, so that every alias and every longer spelling that selects them is caught.
constexpr const char* FILE_OPTIONS[] = {"tbpath", "nalimovpath", "mmap", "book", "source"};
constexpr const char* MEMORY_OPTIONS[] = {"tbcache", "nalimovcache", "hash",
                                          "khash",   "phash",        "memory"};

// The table name that set_option would pick for `name`, or null.
const char* selected_option(const char* name) {
    for (int i = 0; const char* table_name = option_name(i); ++i)
        if (option_name_matches(name, table_name)) return table_name;
    return nullptr;
}

template <size_t N>
bool listed(const char* table_name, const char* const (&names)[N]) {
    for (const char* listed_name : names)
        if (std::strcmp(table_name, listed_name) == 0) return true;
    return false;
}

}  // namespace

bool remote_may_set_option(const char* name, const char* caller) {
    if (frontend.remote_mode == REMOTE_NONE) return true;
    const char* option = selected_option(name);
    if (!option) return true;
    if (listed(option, FILE_OPTIONS)) {
        log_print("%-24sIgnoring remote file option \"%s\"\n", caller, name);
        return false;
    }
    if (ignore_remote_memory_values && listed(option, MEMORY_OPTIONS)) {
        log_print("%-24sIgnoring remote memory option \"%s\"\n", caller, name);
        return false;
    }
    return true;
}
