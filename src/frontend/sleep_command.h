// The "sleep" command: the engine does nothing for the given whole number of seconds (a year at
// most), or until "quit" or the end of input.
#pragma once

void sleep_command(const char* args);
