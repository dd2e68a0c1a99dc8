#include "frontend/book_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/log.h"

namespace {

struct BookFile {
    FILE* file = nullptr;
    uint64_t file_bytes = 0;
    uint32_t sizes[BOOK_BUCKETS];
    uint32_t offsets[BOOK_BUCKETS];

    ~BookFile() {
        if (file) std::fclose(file);
    }
};

std::unique_ptr<BookFile> book;

uint32_t le32(const unsigned char* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

uint64_t le64(const unsigned char* b) { return le32(b) | uint64_t(le32(b + 4)) << 32; }

// Reads the index; the reason of a failure in `reason`.
bool read_index(BookFile& b, const char*& reason) {
    static unsigned char bytes[BOOK_INDEX_BYTES];
    if (std::fread(bytes, 1, sizeof bytes, b.file) != sizeof bytes) {
        reason = std::ferror(b.file) ? std::strerror(errno) : "the file is shorter than its index";
        return false;
    }
    for (int i = 0; i < BOOK_BUCKETS; ++i) {
        b.sizes[i] = le32(bytes + 4 * i);
        b.offsets[i] = le32(bytes + 4 * (BOOK_BUCKETS + i));
    }
    if (std::fseek(b.file, 0, SEEK_END) != 0 || std::ftell(b.file) < 0) {
        reason = std::strerror(errno);
        return false;
    }
    b.file_bytes = uint64_t(std::ftell(b.file));
    return true;
}

// A bucket read a field at a time, never past its end.
struct BucketReader {
    FILE* file;
    uint64_t left;

    bool read(unsigned char* out, uint64_t n) {
        if (n > left || std::fread(out, 1, n, file) != n) return false;
        left -= n;
        return true;
    }
    bool skip(uint64_t n) {
        if (n > left || std::fseek(file, long(n), SEEK_CUR) != 0) return false;
        left -= n;
        return true;
    }
};

// The move records of the entry the reader stands at: the legal ones go to `out`.
bool read_moves(BucketReader& r, uint32_t count, Position& p, BookProbe& out) {
    for (uint32_t i = 0; i < count; ++i) {
        unsigned char record[BOOK_MOVE_BYTES];
        if (!r.read(record, sizeof record)) return false;
        BookMove m = {le32(record + 16), le32(record) & (BOOK_FILE_BAD | BOOK_FILE_GOOD),
                      le32(record + 4), le32(record + 8), le32(record + 12)};
        // Anything but a legal move of this position (a damaged file, a key collision) is
        // passed over, so the engine never plays it.
        if (out.count < BOOK_MAX_CANDIDATES - 1 && is_legal_move(p, m.move)) out.moves[out.count++] = m;
    }
    return true;
}

// Scans the bucket for `p`'s key. False when the bucket cannot be read or an entry overruns it.
bool scan_bucket(BucketReader& r, Position& p, BookProbe& out) {
    unsigned char count_bytes[4];
    if (!r.read(count_bytes, 4)) return false;
    int32_t entries = int32_t(le32(count_bytes));
    for (int32_t e = 0; e < entries; ++e) {
        unsigned char header[BOOK_ENTRY_HEADER_BYTES];
        if (!r.read(header, sizeof header)) return false;
        uint32_t move_count = le32(header + 8);
        uint64_t move_bytes = uint64_t(move_count) * BOOK_MOVE_BYTES;
        if (move_bytes > r.left) return false;
        if (le64(header) == p.hash_key) return read_moves(r, move_count, p, out);
        if (!r.skip(move_bytes)) return false;
    }
    return true;
}

}  // namespace

bool book_open(const char* path) {
    auto opened = std::make_unique<BookFile>();
    const char* reason = nullptr;
    opened->file = std::fopen(path, "rb");
    if (!opened->file) reason = std::strerror(errno);
    if (!reason && read_index(*opened, reason)) {
        book = std::move(opened);
        return true;
    }
    log_print("Couldn't open book %s (%s)\n", path, reason);
    return false;
}

void book_close() { book.reset(); }

void book_probe(Position& p, BookProbe& out) {
    out.count = 0;
    out.bucket_bytes = 0;
    if (!book) return;
    int bucket = int(p.hash_key & (BOOK_BUCKETS - 1));
    uint32_t size = book->sizes[bucket];
    uint64_t offset = book->offsets[bucket];
    out.bucket_bytes = size;
    // Sizes and offsets come from the file: a bucket must lie wholly inside it.
    if (offset + size > book->file_bytes || std::fseek(book->file, long(offset), SEEK_SET) != 0)
        return;
    BucketReader reader = {book->file, size};
    if (!scan_bucket(reader, p, out)) out.count = 0;
}
