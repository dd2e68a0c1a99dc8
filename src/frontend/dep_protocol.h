// Command handler of the dep protocol: "$ " announcements and a numbered "ack" per command.
#pragma once

// Every command line, known or not, is answered with its "ack" line.
void handle_dep_command(const char* command, const char* args);
