#include "frontend/option_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <strings.h>

namespace {

const char* skip_ignored(const char* s) {
    while (*s == ' ' || *s == '_') ++s;
    return s;
}

double suffix_factor(char c) {
    switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'k': return 1024.0;
    case 'm': return 1048576.0;
    case 'g': return 1073741824.0;
    default: return 1.0;
    }
}

}  // namespace

bool option_name_matches(const char* given, const char* table_name) {
    const char* g = skip_ignored(given);
    const char* t = skip_ignored(table_name);
    while (*t) {
        if (std::tolower(static_cast<unsigned char>(*g)) != std::tolower(static_cast<unsigned char>(*t)))
            return false;
        g = skip_ignored(g + 1);
        t = skip_ignored(t + 1);
    }
    return true;
}

const char* boolean_as_number(const char* value) {
    if (strcasecmp(value, "true") == 0) return "1";
    if (strcasecmp(value, "false") == 0) return "0";
    return value;
}

bool read_option_number(const char* value, int64_t& out) {
    double number;
    int length = 0;
    if (std::sscanf(value, "%lf%n", &number, &length) != 1) return false;
    number = std::trunc(number * suffix_factor(value[length]));
    // Infinities, NaN and numbers past 64 bits have no integer to become.
    if (!(std::fabs(number) < 9223372036854775808.0)) return false;
    out = int64_t(number);
    return true;
}
