// The move-text reader, in every notation it takes. The input is move text, or a FEN line
// followed by move text; the text is read in a few fixed positions and in that FEN's. Reading
// leaves the position as it was; a move it returns is either refused by the legality test (the
// caller's part) or legal, and then its SAN, long and coordinate forms read back as the same
// move.
#include <cstdint>
#include <cstring>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "fuzz_support.h"

namespace {

// Castling both ways, en passant, promotions and pins.
constexpr const char* FIXED_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "4k3/1P6/8/8/8/8/6p1/4K2R b K - 0 1",
};

bool in_legal_list(Position& p, Move move) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(p, list, count);
    for (int i = 0; i < count; ++i)
        if ((list[i] & MOVE_IDENTITY_MASK) == move) return true;
    return false;
}

void check_reading(Position& p, const char* text) {
    static Position before;
    std::memcpy(&before, &p, sizeof p);  // the padding too, for the byte comparison
    int consumed = -1;
    Move move = NULL_MOVE;
    int code = parse_move(p, text, &consumed, &move);
    // Telling ambiguous moves apart makes and unmakes them, and a non-king move writes the
    // scratch king slot.
    p.king_sq[2] = before.king_sq[2];
    require(std::memcmp(&p, &before, sizeof p) == 0, "reading a move leaves the position alone");
    if (code != PARSE_OK) return;
    require(consumed > 0 && size_t(consumed) <= std::strlen(text), "consumed within the text");
    if (!is_legal_move(p, move)) return;
    require(in_legal_list(p, move), "a legal move is one the generator gives");
    for (int type : {MTT_SAN, MTT_LONG, MTT_COORD}) {
        char written[16];
        int length = m_sprint(written, p, move, type);
        Move back = NULL_MOVE;
        require(parse_move(p, written, &consumed, &back) == PARSE_OK && consumed == length &&
                    back == move,
                "a legal move written out reads back as itself");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    init_attack_tables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The engine reads C strings: a zero byte ends the text there.
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string text = input;
    static Position p;
    size_t newline = input.find('\n');
    if (newline != std::string::npos) {
        text = input.substr(newline + 1);
        if (read_fen(p, input.substr(0, newline).c_str()) == PARSE_OK) check_reading(p, text.c_str());
    }
    for (const char* fen : FIXED_POSITIONS) {
        read_fen(p, fen);
        check_reading(p, text.c_str());
    }
    return 0;
}
