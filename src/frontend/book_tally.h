// The book builder's counts: games won, drawn and lost with each move from each position, from
// the side of the player who made the move.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "frontend/pgn_reader.h"

struct MoveTally {
    uint64_t key;
    Move move;
    uint32_t wins;
    uint32_t draws;
    uint32_t losses;
};

struct TallyKey {
    uint64_t key;
    Move move;
    bool operator==(const TallyKey&) const = default;
};

struct TallyKeyHash {
    size_t operator()(const TallyKey& k) const { return k.key ^ (uint64_t(k.move) * 0x9E3779B97F4A7C15ull); }
};

using BookTally = std::unordered_map<TallyKey, MoveTally, TallyKeyHash>;

// Counts the first `max_plies` plies of a finished game.
void tally_game(BookTally& tally, const PgnGame& game, int max_plies);
// The moves played in at least `min_games` games, ordered as the book file stores them: by the
// key's bucket, then by key, then the most played move first.
std::vector<MoveTally> kept_moves(const BookTally& tally, int min_games);
