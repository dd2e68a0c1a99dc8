// The transposition table: one share per search thread, read and written by every thread
// without locks. The low half of a position's key picks the share, the high half the 64-byte
// bucket in it. A slot keeps its key XOR-ed with its data word, so a slot torn by two writers
// fails its check instead of answering for the wrong position.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "common/search_stats.h"
#include "search/hash_table.h"

constexpr int MAX_THREADS = 512;
constexpr int TT_SLOTS = 4;
constexpr int TT_MAX_PV = 128;

// Entry types: the bound the stored score is.
enum TTType : int { TT_NIL = 0, TT_ALL = 1, TT_CUT = 2, TT_PV = 3 };

constexpr int NO_EVAL = -10000;
constexpr int NO_TT_DEPTH = -12;

struct TTSlot {
    uint64_t check;  // key ^ data
    uint64_t data;
};

struct alignas(64) TTBucket {
    TTSlot slots[TT_SLOTS];
};
static_assert(sizeof(TTBucket) == 64);

// Shares are published at the resize point, while no thread searches; slots past
// `tt_share_count` are never read. With no share published nothing is found or stored.
extern hash_table* tt_shares[MAX_THREADS];
extern int tt_share_count;  // 0 to MAX_THREADS
// The age written into new entries, 5 bits.
extern int tt_age;

// One search more: entries of earlier searches become easier to replace.
void trans_table_next_age();

// The bucket for `key`, or null when its share has no memory.
TTBucket* tt_bucket(uint64_t key);
// Starts loading the bucket for `key` into the cache, so that a probe soon after finds it there.
inline void prefetch_table_entry(uint64_t key) {
    if (TTBucket* bucket = tt_bucket(key)) __builtin_prefetch(bucket);
}

// The fields of a data word, score and evaluation as stored (mate scores relative to the node).
struct TTFields {
    int age;
    bool prev_cut;
    int type;
    bool singular;
    bool mate_threat;
    bool one_reply;
    int depth;
    int score;
    int ev;
    int promotion;
    Square to;
    Square from;
};

// Depth, score and evaluation are clamped to what their bit fields hold.
uint64_t tt_pack(const TTFields& f);
TTFields tt_unpack(uint64_t data);

// Mate scores are kept as distances from the node, so an entry fits any path to it.
int tt_score_to_table(int score, int ply);
int tt_score_from_table(int stored, int ply);

// What a probing node brings.
struct TTQuery {
    int ply;
    int depth;
    int alpha;
    int beta;
    bool no_tt_cut;  // near the 50-move rule, after a repetition, or an ordering search
};

// What the table said about a node. Without an entry every field reads as "nothing known":
// type TT_NIL, depth NO_TT_DEPTH, evaluations NO_EVAL, no move, no flags.
struct TTProbe {
    bool found;
    int type;
    int depth;  // NO_TT_DEPTH without an entry
    int score;  // relative to the probing ply
    int ev;     // NO_EVAL when none was stored
    int ev_stm;
    bool prev_cut;
    bool singular;
    bool mate_threat;
    bool one_reply;
    Move move;  // rebuilt against the board; 0 for none
    bool cutoff;
};

// What a finished node stores.
struct TTResult {
    int best;
    Move best_move;
    Move tt_move;  // stored when there is no best move
    int alpha;
    int beta;
    int depth;
    int ply;
    int ev;
    bool prev_cut;
    bool singular;
    bool mate_threat;
    bool one_reply;
};

// Looks up `p`; returns whether the node may end with `out.score`. `p` is left as it was.
bool trans_table_probe(Position& p, const TTQuery& node, TTProbe& out, SearchStats& stats);
void trans_table_store(uint64_t key, const TTResult& result, SearchStats& stats);
// Unpacks a data word into `out`. A move that is not legal in `p` is reported and the entry
// treated as missing (returns false).
bool trans_table_uncompress(Position& p, uint64_t data, int ply, TTProbe& out);
// The line the table holds from `p`, at most min(limit, TT_MAX_PV) moves; moves found singular
// carry MOVE_SINGULAR_MARK, moves of mate-threat nodes MOVE_MATE_MARK. Returns the count; `p` is
// left as it was.
int trans_table_pv(Position& p, Move* pv, int limit);
