// How option names and values are read: names compared without case, spaces or underscores,
// "true" and "false" as 1 and 0, numbers with the size suffixes k, m and g.
#pragma once

#include <cstdint>

// Whether `given` begins with `table_name` when case, spaces and underscores are ignored on
// both sides ("Enable Null Move" selects "enable_null_move").
bool option_name_matches(const char* given, const char* table_name);
// "1" for "true" and "0" for "false" in any case; any other text as it is.
const char* boolean_as_number(const char* value);
// A number ("%lf"), optionally followed at once by k, m or g (any case) for 1024, 1024^2 and
// 1024^3, truncated towards zero. False when there is no number or the result does not fit in
// 64 bits.
bool read_option_number(const char* value, int64_t& out);
