// The engine's options: every tunable by name, set from the options file and the protocols.
// Values live in the plain globals that the engine reads (settings.h, search_options.h,
// eval_options.h, table_sizing.h); messages go to the log only.
#pragma once

// Sets the option that `name` selects (case, spaces and underscores ignored; the first table
// name that the given name begins with). "true" and "false" read as 1 and 0. Returns 1 when a
// name matched, whether or not the value was taken, 0 when none did. `apply` is 0 while an
// options file is read: a tablebase restart then waits for the end of the file.
int set_option(const char* name, const char* value, int apply);
// Every option back to its default; the user-line map emptied.
void reset_options();
// The table's names in matching order; null past the end.
const char* option_name(int index);
