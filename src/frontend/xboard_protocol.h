// Command handler of the XBoard protocol (version 2).
#pragma once

void handle_xboard_command(const char* command, const char* args);
