// A named, resizable table of 64-byte-aligned entries, indexed by the high half of a 64-bit key.
// Each search thread owns three: its transposition-table share, its king hash and its pawn hash.
#pragma once

#include <cstdint>

struct hash_table {
    char name[64];
    int32_t id;          // the owning thread's number
    int32_t entry_size;  // bytes per entry
    unsigned char* data; // the entries, 64-byte aligned; null when the size is 0
    uint64_t entries;
    uint64_t size;       // bytes in use
    uint64_t wanted;     // bytes requested by the options
    bool clear_pending;  // clear at the next resize point

    // Names the table; it holds no memory until the first resize.
    void init(const char* table_name, int entry_bytes, int owner_id);
    // Applies `wanted`: reallocates and clears. A size the system refuses is logged and the
    // table keeps its entries (`wanted` goes back to `size`).
    void resize();
    void clear();
    // Frees the entries (size 0).
    void release();

    // The high 32 bits of the key scaled into the entry count by a 64-bit multiplication; null
    // while the table has no memory.
    unsigned char* entry_for(uint64_t key) const {
        uint64_t index = (entries * (key >> 32)) >> 32;
        return data + uint64_t(entry_size) * index;
    }
};

// Whether the system would grant `bytes` in one block now; nothing is kept. Mapped directly, so
// that a huge request is simply refused, under the sanitizers too.
bool memory_available(uint64_t bytes);
