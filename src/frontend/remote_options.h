// What a remote peer may not change through a protocol's option command: the options that name
// files or folders of the engine's machine (it could make the engine read or write them), and,
// with ignore_remote_memory_values on, the table sizes.
#pragma once

// Whether the peer may set the option `name` selects. Always true outside remote mode; a
// refusal is logged under `caller` ("uci_set_option():").
bool remote_may_set_option(const char* name, const char* caller);
