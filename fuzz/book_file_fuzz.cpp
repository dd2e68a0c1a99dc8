// The book file reader. The input is a bucket size and offset (u32 each, the offset counted
// from the end of the index) and then the bucket's bytes; every bucket of the index points at
// them. Probes never read outside the file and give only legal moves of the probed position,
// which stays as it was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "frontend/book_file.h"
#include "frontend/book_select.h"
#include "fuzz_support.h"

namespace {

constexpr const char* PROBED[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
};

std::string book_path;

uint32_t le32(const uint8_t* b) { return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24; }

void write_book(const uint8_t* data, size_t size) {
    uint32_t bucket_size = le32(data), offset = uint32_t(BOOK_INDEX_BYTES + uint64_t(le32(data + 4)));
    static uint8_t index[BOOK_INDEX_BYTES];
    for (int b = 0; b < BOOK_BUCKETS; ++b)
        for (int i = 0; i < 4; ++i) {
            index[4 * b + i] = uint8_t(bucket_size >> (8 * i));
            index[4 * (BOOK_BUCKETS + b) + i] = uint8_t(offset >> (8 * i));
        }
    FILE* file = std::fopen(book_path.c_str(), "wb");
    require(file != nullptr, "the scratch book can be written");
    std::fwrite(index, 1, sizeof index, file);
    std::fwrite(data + 8, 1, size - 8, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    init_attack_tables();
    book_path = "/tmp/tarvo_book_fuzz_" + std::to_string(getpid()) + ".bin";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    write_book(data, size);
    require(book_open(book_path.c_str()), "a whole index opens");
    static Position p;
    static BookProbe probe;
    for (const char* fen : PROBED) {
        require(read_fen(p, fen) == PARSE_OK, "probed FEN reads");
        uint64_t key = p.hash_key;
        book_probe(p, probe);
        require(probe.count >= 0 && probe.count < BOOK_MAX_CANDIDATES, "moves within the list");
        for (int i = 0; i < probe.count; ++i) require(is_legal_move(p, probe.moves[i].move), "only legal moves");
        require(p.hash_key == key && p.hist_top == 0, "the position stays");
        Move chosen = book_select(p);
        require(chosen == NULL_MOVE || is_legal_move(p, chosen), "the choice is legal");
    }
    book_close();
    return 0;
}
