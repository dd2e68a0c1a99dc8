// Command handler of the dep protocol: "$ " announcements and a numbered "ack" per command.
// Game handling is the XBoard protocol's.
#pragma once

// Every command line, known or not, is answered with its "ack" line.
void handle_dep_command(const char* command, const char* args);
// "atb" and "atw": "H:M" in hours and minutes, or minutes alone, as seconds. Returns 0, or -1
// when neither form reads.
int read_dep_clock(const char* text, double& seconds);
