// The "sleep" command: the engine does nothing for the given number of seconds.
#pragma once

void sleep_command(const char* args);
