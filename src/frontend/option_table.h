// The option table's record and the helpers its follow-up actions share.
#pragma once

#include <cstdint>

enum OptionKind : int {
    OPTION_NUMBER,   // a 32-bit setting, stored as value * scale_mul / scale_div
    OPTION_SIZE,     // bytes, 64-bit
    OPTION_TEXT,     // a buffer of SETTING_TEXT_SIZE bytes
    OPTION_COMMAND,  // reads its value itself
};

struct OptionEntry {
    const char* name;
    OptionKind kind;
    int64_t min;
    int64_t max;
    int64_t default_value;  // as stored
    int* number;
    uint64_t* size;
    char* text;
    int scale_mul;
    int scale_div;
    // Runs when the value changed; `apply` as given to set_option.
    void (*changed)(int apply);
    // False when the system could not give the memory that the value asks for.
    bool (*fits)(int64_t value);
    // OPTION_COMMAND: does the whole work for the (trimmed) value.
    void (*command)(const OptionEntry& entry, const char* value, int apply);
    const char* log_name;  // when the log calls it otherwise
    const char* default_text = nullptr;  // OPTION_TEXT: the text it starts with; empty when null
};

extern const OptionEntry option_table[];
extern const int option_count;

// Reads a number for `entry` and tests its range; false (and logged) when there is none or it
// is out of range.
bool read_in_range(const OptionEntry& entry, const char* value, int64_t& out);
// Logs the new value of `entry`.
void log_option_value(const OptionEntry& entry, int64_t value);
// Logs that `value` for `entry` asks for more memory than the system gives.
void log_memory_refused(const OptionEntry& entry, int64_t value);
