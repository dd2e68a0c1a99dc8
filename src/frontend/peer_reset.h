// What a closed remote connection leaves behind for the next peer: nothing of its own.
#pragma once

// A new game under the default time control and game flags, every option back to its default
// with one search thread, and the options file read again.
void reset_for_next_peer();
