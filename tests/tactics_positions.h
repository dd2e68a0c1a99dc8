// Positions for the cross-checks of the single-move tests (validity, quiet checks, exchanges):
// the WAC suite kept with the tests, and positions of random legal games.
#pragma once

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board_test_support.h"

constexpr const char* WAC_PATH = TARVO_TEST_DATA "/wac.epd";

// Starts for random games: the usual perft positions and a few with promotions, castling
// rights and pawns on both sides close to each other.
inline const std::vector<std::string>& playout_starts() {
    static const std::vector<std::string> starts = [] {
        std::vector<std::string> fens = {"8/PPP4k/8/8/8/8/4Kppp/8 w - - 0 1",
                                         "r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R b KQkq - 0 1",
                                         "4k3/2p1p1p1/8/1P1P1P2/3p1p2/8/2P1P1P1/4K3 w - - 0 1"};
        for (const PerftCase& c : perft_cases()) fens.push_back(c.fen);
        return fens;
    }();
    return starts;
}

// Calls fn(Position&) for each WAC position, then for every
// position met in random legal games from each start; fn must leave the position as it was.
// The games are the same on every run.
template <typename Fn>
void for_each_corpus_position(Fn fn) {
    std::ifstream in(WAC_PATH);
    for (std::string line; std::getline(in, line);) {
        Position p;
        if (read_fen(p, line.c_str()) == PARSE_OK) fn(p);
    }
    const int games = SANITIZED_BUILD ? 2 : 6, plies = 80;
    std::mt19937 rng(20240611);
    for (const std::string& fen : playout_starts()) {
        for (int g = 0; g < games; ++g) {
            Position p = position_from_fen(fen);
            for (int ply = 0; ply < plies; ++ply) {
                fn(p);
                Move moves[MAX_MOVES];
                int count = 0;
                gen_legal(p, moves, count);
                if (count == 0) break;
                make_move(p, moves[rng() % count]);
            }
        }
    }
}

inline constexpr Square sq(const char* name) { return square_at(name[0] - 'a', name[1] - '1'); }

// The move from `from` to `to` with the codes the board gives it.
inline Move board_move(const Position& p, const char* from, const char* to, int promotion = EMPTY) {
    return make_move_value(sq(from), sq(to), p.board[sq(from)], p.board[sq(to)], promotion);
}

// The move in coordinates ("e7e8q"), with the codes the board gives it.
inline Move coord_move(const Position& p, const char* text) {
    const char* types = " pnbrq";
    const int colour = colour_of(p.board[sq(text)]);
    return board_move(p, text, text + 2,
                      text[4] ? piece_of(int(std::strchr(types, text[4]) - types), colour) : EMPTY);
}

inline std::vector<std::string> split_words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// Moves of `p` in coordinates, separated by blanks.
inline std::vector<Move> moves_of(const Position& p, const std::string& text) {
    std::vector<Move> moves;
    for (const std::string& word : split_words(text)) moves.push_back(coord_move(p, word.c_str()));
    return moves;
}
