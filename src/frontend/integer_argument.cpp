#include "frontend/integer_argument.h"

#include <cctype>
#include <cstdlib>

bool read_integer_argument(const char* text, long long& value) {
    // strtoll would also skip leading white space; a number must start the text.
    if (*text != '-' && *text != '+' && !std::isdigit(static_cast<unsigned char>(*text)))
        return false;
    char* end;
    long long read = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0') return false;
    value = read;
    return true;
}
