// The FEN reader: any text. An accepted position is consistent, legal for the side to move,
// written back as FEN it reads the same, and every legal move made and taken back keeps it so.
#include <cstdint>
#include <cstring>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/t_move_basics.h"
#include "fuzz_support.h"

namespace {

// Bytes a make and unmake must restore: everything up to and including the used history.
bool same_position(const Position& a, const Position& b) {
    size_t used = offsetof(Position, history) + sizeof(HistoryEntry) * size_t(a.hist_top + 1);
    return a.hist_top == b.hist_top && std::memcmp(&a, &b, used) == 0;
}

void check_moves(Position& p) {
    static Position before;
    before = p;
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(p, list, count);
    for (int i = 0; i < count; ++i) {
        make_move(p, list[i]);
        require(position_consistent(p), "position consistent after a legal move");
        unmake_move(p);
        p.king_sq[2] = before.king_sq[2];  // the scratch slot that non-king moves write
        require(same_position(p, before), "unmake restores the position");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    init_attack_tables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The engine reads C strings: a zero byte ends the text there.
    const std::string text(reinterpret_cast<const char*>(data), size);
    static Position p, again;
    Move best[MAX_BM_MOVES];
    int consumed = -1, best_count = -1;
    if (read_fen(p, text.c_str(), &consumed, best, &best_count) != PARSE_OK) return 0;
    require(consumed >= 0 && size_t(consumed) <= std::strlen(text.c_str()), "consumed within the text");
    require(best_count >= 0 && best_count <= MAX_BM_MOVES, "bm count within the array");
    require(position_consistent(p), "accepted FEN gives a consistent position");
    require(!attacked(p, p.king_sq[p.turn ^ 1], p.turn), "the side not to move is not in check");
    for (int i = 0; i < best_count; ++i) is_legal_move(p, best[i]);  // judged without harm
    char written[100];
    write_fen(written, p);
    require(read_fen(again, written) == PARSE_OK, "written FEN reads back");
    again.king_sq[2] = p.king_sq[2];  // the scratch slot, which judging the bm moves wrote
    require(std::memcmp(&p, &again, offsetof(Position, history)) == 0, "written FEN reads the same");
    check_moves(p);
    return 0;
}
