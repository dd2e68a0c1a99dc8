// The process's arguments: a protocol to start in, or the remote link's address.
#pragma once

// Reads the arguments left to right (argv[0] is the program). Address errors are fatal.
void parse_command_line(int argc, char** argv);
