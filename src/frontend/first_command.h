// Commands understood before any protocol has been chosen; the protocol's own first command
// selects it.
#pragma once

void handle_first_command(const char* command, const char* args);
