// Cutting a command line into command word and argument text, and handing it to the protocol.
#pragma once

// Cuts `line` in place at its first space; both parts come back trimmed (the argument text is
// empty when there is no space).
void split_line(char* line, char** command, char** args);
// Splits the line and passes it to the handler of the protocol in use.
void dispatch_line(char* line);
