#include "frontend/options.h"

#include <cstdio>
#include <cstring>

#include "common/log.h"
#include "common/settings.h"
#include "frontend/book_file.h"
#include "frontend/input.h"
#include "frontend/option_table.h"
#include "frontend/option_text.h"
#include "search/statistics_block.h"
#include "search/table_sizing.h"
#include "search/user_nodes.h"

namespace {

// Names and values longer than this are cut.
constexpr int OPTION_ARGUMENT_SIZE = 1024;

const char* log_name(const OptionEntry& entry) { return entry.log_name ? entry.log_name : entry.name; }

const OptionEntry* find_option(const char* name) {
    for (int i = 0; i < option_count; ++i)
        if (option_name_matches(name, option_table[i].name)) return &option_table[i];
    return nullptr;
}

int64_t stored_value(const OptionEntry& entry, int64_t value) {
    return value * entry.scale_mul / entry.scale_div;
}

int64_t current_value(const OptionEntry& entry) {
    return entry.kind == OPTION_SIZE ? int64_t(*entry.size) : *entry.number;
}

void set_number(const OptionEntry& entry, const char* value, int apply) {
    int64_t n;
    if (!read_in_range(entry, value, n)) return;
    int64_t stored = stored_value(entry, n);
    if (stored == current_value(entry)) return;
    if (entry.fits && !entry.fits(stored)) {
        log_memory_refused(entry, n);
        return;
    }
    if (entry.kind == OPTION_SIZE)
        *entry.size = uint64_t(stored);
    else
        *entry.number = int(stored);
    log_option_value(entry, n);
    if (entry.changed) entry.changed(apply);
}

void set_text(const OptionEntry& entry, const char* value, int apply) {
    if (std::strlen(value) >= size_t(SETTING_TEXT_SIZE)) {
        log_print("set_option():           text for %s is longer than %d characters; refused\n",
                  log_name(entry), SETTING_TEXT_SIZE - 1);
        return;
    }
    if (std::strcmp(entry.text, value) == 0) return;
    std::snprintf(entry.text, SETTING_TEXT_SIZE, "%s", value);
    log_print("set_option():           %s = %s\n", log_name(entry), entry.text);
    if (entry.changed) entry.changed(apply);
}

}  // namespace

bool read_in_range(const OptionEntry& entry, const char* value, int64_t& out) {
    if (!read_option_number(value, out)) {
        log_print("set_option(): couldn't scan integer for option %s from buffer \"%s\"\n",
                  log_name(entry), value);
        return false;
    }
    if (out < entry.min || out > entry.max) {
        log_print("set_option(): value %lld out of range [%.0lf,%.0lf] for option %s\n",
                  static_cast<long long>(out), double(entry.min), double(entry.max), log_name(entry));
        return false;
    }
    return true;
}

void log_memory_refused(const OptionEntry& entry, int64_t value) {
    log_print("set_option():           not enough memory for %s = %.0lf; the tables stay as they are\n",
              log_name(entry), double(value));
}

void log_option_value(const OptionEntry& entry, int64_t value) {
    log_print("set_option():           %s = %.0lf\n", log_name(entry), double(value));
}

int set_option(const char* name, const char* value, int apply) {
    char name_copy[OPTION_ARGUMENT_SIZE], value_copy[OPTION_ARGUMENT_SIZE];
    std::snprintf(name_copy, sizeof name_copy, "%s", name);
    std::snprintf(value_copy, sizeof value_copy, "%s", value);
    const char* given_value = boolean_as_number(trim(value_copy));
    const OptionEntry* entry = find_option(trim(name_copy));
    if (!entry) return 0;
    switch (entry->kind) {
    case OPTION_NUMBER:
    case OPTION_SIZE: set_number(*entry, given_value, apply); break;
    case OPTION_TEXT: set_text(*entry, given_value, apply); break;
    case OPTION_COMMAND: entry->command(*entry, given_value, apply); break;
    }
    return 1;
}

void reset_options() {
    for (int i = 0; i < option_count; ++i) {
        const OptionEntry& entry = option_table[i];
        if (entry.kind == OPTION_NUMBER) *entry.number = int(entry.default_value);
        if (entry.kind == OPTION_SIZE) *entry.size = uint64_t(entry.default_value);
        if (entry.kind == OPTION_TEXT)
            std::snprintf(entry.text, SETTING_TEXT_SIZE, "%s",
                          entry.default_text ? entry.default_text : "");
    }
    memory_size = 0;
    idletimer = IDLE_TIMER_DEFAULT;
    table_size_set_by_hand();  // memory_mode 0; the threads take the default sizes
    user_nodes_clear();
    book_close();  // the book option is empty again
}

const char* option_name(int index) {
    return index >= 0 && index < option_count ? option_table[index].name : nullptr;
}
