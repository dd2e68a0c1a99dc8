// Command handler of the UCI protocol.
#pragma once

// Sends the identification and selects the protocol.
void uci_identify();
void handle_uci_command(const char* command, const char* args);
