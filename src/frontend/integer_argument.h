// Reading a command's argument text as one whole decimal integer.
#pragma once

// True when `text` is an optional sign and decimal digits, nothing else. A number beyond the
// range of long long reads as that limit, so range checks on the result still refuse it.
bool read_integer_argument(const char* text, long long& value);
