#include "search/hash_table.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

#include "common/log.h"

namespace {

constexpr uint64_t ALIGNMENT = 64;
// Tables of a few megabytes and more sit on huge pages where the system offers them: a probe is
// a random access, and with small pages nearly every one would also miss the TLB.
constexpr uint64_t HUGE_PAGE = 2 << 20;

uint64_t alignment_for(uint64_t size) { return size >= HUGE_PAGE ? HUGE_PAGE : ALIGNMENT; }

// aligned_alloc wants a multiple of the alignment; the tail past `size` is never indexed.
uint64_t allocated_bytes(uint64_t size) {
    uint64_t align = alignment_for(size);
    return (size + align - 1) & ~(align - 1);
}

}  // namespace

void hash_table::init(const char* table_name, int entry_bytes, int owner_id) {
    std::snprintf(name, sizeof name, "%s", table_name);
    id = owner_id;
    entry_size = entry_bytes;
    data = nullptr;
    entries = 0;
    size = 0;
    wanted = 0;
    clear_pending = false;
}

void hash_table::resize() {
    if (wanted == size) return;
    unsigned char* block = nullptr;
    if (wanted != 0) {
        // The new block comes first, so that a size the system refuses leaves the table usable.
        block = static_cast<unsigned char*>(std::aligned_alloc(alignment_for(wanted), allocated_bytes(wanted)));
        if (!block) {
            log_print("Couldn't allocate %.0f bytes for hash table \"%s %d\" (%s); it keeps %.0f bytes.\n",
                      double(wanted), name, id, std::strerror(errno), double(size));
            wanted = size;
            return;
        }
    }
    release();
    data = block;
    entries = wanted / uint64_t(entry_size);
    size = wanted;
    if (size == 0) return;
    if (size >= HUGE_PAGE) madvise(data, allocated_bytes(size), MADV_HUGEPAGE);
    log_print("hash_table::resize():   Resized hash table \"%s %d\" to %.0f bytes. (%d entries of %d bytes)\n",
              name, id, double(size), int(entries), entry_size);
    clear();
}

bool memory_available(uint64_t bytes) {
    if (bytes == 0) return true;
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return false;
    munmap(block, bytes);
    return true;
}

void hash_table::clear() {
    if (data) std::memset(data, 0, allocated_bytes(size));
}

void hash_table::release() {
    std::free(data);
    data = nullptr;
    entries = 0;
    size = 0;
}
