// Command handler of the XBoard protocol.
#pragma once

void handle_xboard_command(const char* command, const char* args);
