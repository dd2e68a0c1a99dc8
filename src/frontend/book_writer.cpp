#include "frontend/book_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frontend/book_file.h"

namespace {

struct BookLayout {
    uint64_t sizes[BOOK_BUCKETS];
    uint32_t entries[BOOK_BUCKETS];
};

int bucket_of(uint64_t key) { return int(key & (BOOK_BUCKETS - 1)); }

// The moves of the position that starts at `first`.
size_t moves_of_position(const std::vector<MoveTally>& moves, size_t first) {
    size_t last = first;
    while (last < moves.size() && moves[last].key == moves[first].key) ++last;
    return last - first;
}

void lay_out(const std::vector<MoveTally>& moves, BookLayout& layout, BookWriteCounts& counts) {
    std::memset(&layout, 0, sizeof layout);
    counts = {0, int64_t(moves.size())};
    for (size_t i = 0; i < moves.size(); i += moves_of_position(moves, i)) {
        int b = bucket_of(moves[i].key);
        if (layout.entries[b]++ == 0) layout.sizes[b] = 4;
        layout.sizes[b] += BOOK_ENTRY_HEADER_BYTES + BOOK_MOVE_BYTES * moves_of_position(moves, i);
        ++counts.positions;
    }
}

struct Output {
    FILE* file;

    void u32(uint32_t v) {
        unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::fwrite(b, 1, sizeof b, file);
    }
    void u64(uint64_t v) {
        u32(uint32_t(v));
        u32(uint32_t(v >> 32));
    }
};

void write_index(Output& out, const BookLayout& layout) {
    for (int b = 0; b < BOOK_BUCKETS; ++b) out.u32(uint32_t(layout.sizes[b]));
    uint64_t offset = BOOK_INDEX_BYTES;
    for (int b = 0; b < BOOK_BUCKETS; ++b) {
        out.u32(uint32_t(offset));
        offset += layout.sizes[b];
    }
}

void write_buckets(Output& out, const std::vector<MoveTally>& moves, const BookLayout& layout) {
    int bucket = -1;
    for (size_t i = 0; i < moves.size();) {
        if (bucket_of(moves[i].key) != bucket) {
            bucket = bucket_of(moves[i].key);
            out.u32(layout.entries[bucket]);
        }
        size_t count = moves_of_position(moves, i);
        out.u64(moves[i].key);
        out.u32(uint32_t(count));
        for (size_t end = i + count; i < end; ++i) {
            const MoveTally& m = moves[i];
            for (uint32_t field : {0u, m.wins, m.draws, m.losses, m.move}) out.u32(field);
        }
    }
}

}  // namespace

bool write_book(const char* path, const std::vector<MoveTally>& moves, BookWriteCounts& counts,
                std::string& error) {
    static BookLayout layout;
    lay_out(moves, layout, counts);
    uint64_t total = BOOK_INDEX_BYTES;
    for (uint64_t size : layout.sizes) total += size;
    if (total > UINT32_MAX) {
        error = "the book would pass 4 GiB; raise --min-games or lower --max-ply";
        return false;
    }
    Output out = {std::fopen(path, "wb")};
    if (!out.file) {
        error = std::strerror(errno);
        return false;
    }
    write_index(out, layout);
    write_buckets(out, moves, layout);
    bool written = !std::ferror(out.file);
    if (std::fclose(out.file) != 0 || !written) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}
