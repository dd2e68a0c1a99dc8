#include "search/trans_table.h"

#include <algorithm>
#include <atomic>
#include <climits>

#include "board/movegen.h"
#include "board/t_move_basics.h"
#include "common/log.h"
#include "search/search_options.h"

hash_table* tt_shares[MAX_THREADS];
int tt_share_count;
int tt_age;

namespace {

constexpr int SCORE_LIMIT = 10000;  // mated at the root; also the offset of the score fields
constexpr int MATE_SCORES = 9500;   // scores beyond are mates
constexpr int DEPTH_OFFSET = 12;
constexpr uint64_t AGE_MASK = 31;

// Bit positions of the data word.
constexpr int PREV_CUT_BIT = 5;
constexpr int TYPE_SHIFT = 6;
constexpr int SINGULAR_BIT = 8;
constexpr int MATE_THREAT_BIT = 9;
constexpr int ONE_REPLY_BIT = 10;
constexpr int DEPTH_SHIFT = 11;
constexpr int SCORE_SHIFT = 18;
constexpr int EV_SHIFT = 33;
constexpr int PROMOTION_SHIFT = 48;
constexpr int TO_SHIFT = 52;
constexpr int FROM_SHIFT = 58;

constexpr uint64_t field(uint64_t data, int shift, int width) {
    return (data >> shift) & ((uint64_t(1) << width) - 1);
}

// Other threads write slots at any time: each word is read and written once, whole.
uint64_t load(uint64_t& word) { return std::atomic_ref<uint64_t>(word).load(std::memory_order_relaxed); }
void save(uint64_t& word, uint64_t value) {
    std::atomic_ref<uint64_t>(word).store(value, std::memory_order_relaxed);
}

void write_slot(TTSlot& slot, uint64_t key, uint64_t data) {
    save(slot.check, key ^ data);
    save(slot.data, data);
}

int age_distance(uint64_t data) { return int((uint64_t(tt_age) - data) & AGE_MASK); }

void set_missing(TTProbe& out) {
    out = TTProbe{};
    out.depth = NO_TT_DEPTH;
    out.ev = NO_EVAL;
    out.ev_stm = NO_EVAL;
}

// The table gives no verdict where the node must search: see TTQuery::no_tt_cut, the 50-move
// horizon, and the root, which needs a move to play and every root score under MultiPV.
bool may_cut(const Position& p, const TTQuery& node, const TTProbe& e) {
    if (node.no_tt_cut || p.half_moves >= 80) return false;
    if (node.ply == 0 && (e.move == 0 || multipv > 1)) return false;
    switch (e.type) {
        case TT_PV: return e.depth >= node.depth;
        case TT_CUT: return (e.depth >= node.depth || e.score >= MATE_SCORES) && node.beta <= e.score;
        case TT_ALL: return e.depth >= node.depth && node.alpha >= e.score;
        default: return false;
    }
}

int entry_type(const TTResult& r) {
    if (r.best >= r.beta) return TT_CUT;
    if (r.best <= r.alpha) return TT_ALL;
    return TT_PV;
}

int replacement_value(uint64_t data) {
    int type = int(field(data, TYPE_SHIFT, 2));
    return int(field(data, DEPTH_SHIFT, 7)) + (type == TT_PV) - 2 * age_distance(data);
}

// A slot matches a key when its words XOR back to it; the line walk also forgives the low 16
// bits.
TTSlot* find_slot(TTBucket& bucket, uint64_t key, uint64_t ignored_bits, uint64_t& data) {
    for (TTSlot& slot : bucket.slots) {
        uint64_t check = load(slot.check);
        data = load(slot.data);
        if (((check ^ data ^ key) & ~ignored_bits) == 0) return &slot;
    }
    return nullptr;
}

// The slot holding `key` (`found`), else the one to replace: shallow, stale slots go first; an
// exact entry counts one ply deeper. One pass reads each slot once; `data` is the slot's word.
TTSlot* store_slot(TTBucket& bucket, uint64_t key, bool& found, uint64_t& data) {
    TTSlot* victim = nullptr;
    int lowest = INT_MAX;
    for (TTSlot& slot : bucket.slots) {
        uint64_t check = load(slot.check), slot_data = load(slot.data);
        found = (check ^ slot_data) == key;
        if (found) {
            data = slot_data;
            return &slot;
        }
        int value = replacement_value(slot_data);
        if (value < lowest) {
            lowest = value;
            victim = &slot;
            data = slot_data;
        }
    }
    return victim;
}

}  // namespace

void trans_table_next_age() { tt_age = (tt_age + 1) & int(AGE_MASK); }

TTBucket* tt_bucket(uint64_t key) {
    if (tt_share_count <= 0) return nullptr;
    // The low half scaled into the share count, as entry_for scales the high half.
    uint64_t owner = (uint64_t(uint32_t(key)) * uint64_t(tt_share_count)) >> 32;
    const hash_table* share = tt_shares[owner];
    return share ? reinterpret_cast<TTBucket*>(share->entry_for(key)) : nullptr;
}

uint64_t tt_pack(const TTFields& f) {
    uint64_t depth = uint64_t(std::clamp(f.depth + DEPTH_OFFSET, 0, 127));
    uint64_t score = uint64_t(std::clamp(f.score, -SCORE_LIMIT, SCORE_LIMIT) + SCORE_LIMIT);
    uint64_t ev = uint64_t(std::clamp(f.ev, -SCORE_LIMIT, SCORE_LIMIT) + SCORE_LIMIT);
    return (uint64_t(f.age) & AGE_MASK) | uint64_t(f.prev_cut) << PREV_CUT_BIT |
           uint64_t(f.type & 3) << TYPE_SHIFT | uint64_t(f.singular) << SINGULAR_BIT |
           uint64_t(f.mate_threat) << MATE_THREAT_BIT | uint64_t(f.one_reply) << ONE_REPLY_BIT |
           depth << DEPTH_SHIFT | score << SCORE_SHIFT | ev << EV_SHIFT |
           uint64_t(f.promotion & 15) << PROMOTION_SHIFT | uint64_t(f.to & 63) << TO_SHIFT |
           uint64_t(f.from & 63) << FROM_SHIFT;
}

TTFields tt_unpack(uint64_t data) {
    TTFields f;
    f.age = int(data & AGE_MASK);
    f.prev_cut = field(data, PREV_CUT_BIT, 1);
    f.type = int(field(data, TYPE_SHIFT, 2));
    f.singular = field(data, SINGULAR_BIT, 1);
    f.mate_threat = field(data, MATE_THREAT_BIT, 1);
    f.one_reply = field(data, ONE_REPLY_BIT, 1);
    f.depth = int(field(data, DEPTH_SHIFT, 7)) - DEPTH_OFFSET;
    f.score = int(field(data, SCORE_SHIFT, 15)) - SCORE_LIMIT;
    f.ev = int(field(data, EV_SHIFT, 15)) - SCORE_LIMIT;
    f.promotion = int(field(data, PROMOTION_SHIFT, 4));
    f.to = Square(field(data, TO_SHIFT, 6));
    f.from = Square(field(data, FROM_SHIFT, 6));
    return f;
}

int tt_score_to_table(int score, int ply) {
    if (score > MATE_SCORES) return std::min(score, SCORE_LIMIT - ply) + ply;
    if (score < -MATE_SCORES) return std::max(score, ply - SCORE_LIMIT) - ply;
    return score;
}

int tt_score_from_table(int stored, int ply) {
    if (stored > MATE_SCORES) return stored - ply;
    if (stored < -MATE_SCORES) return stored + ply;
    return stored;
}

bool trans_table_uncompress(Position& p, uint64_t data, int ply, TTProbe& out) {
    TTFields f = tt_unpack(data);
    Move move = 0;
    if (data >> PROMOTION_SHIFT) {  // all three move fields 0: no move
        move = make_move_value(f.from, f.to, p.board[f.from], p.board[f.to], f.promotion);
        if (!is_legal_move(p, move)) {
            log_print("trans_table_uncompress(): got illegal move from transposition table\n");
            set_missing(out);
            return false;
        }
    }
    out.found = true;
    out.type = f.type;
    out.depth = f.depth;
    out.score = tt_score_from_table(f.score, ply);
    out.ev = f.ev;
    out.ev_stm = p.turn == WHITE || f.ev == NO_EVAL ? f.ev : -f.ev;
    out.prev_cut = f.prev_cut;
    out.singular = f.singular;
    out.mate_threat = f.mate_threat;
    out.one_reply = f.one_reply;
    out.move = move;
    out.cutoff = false;
    return true;
}

bool trans_table_probe(Position& p, const TTQuery& node, TTProbe& out, SearchStats& stats) {
    ++stats.tt_probes;
    TTBucket* bucket = tt_bucket(p.hash_key);
    uint64_t data;
    if (!bucket || !find_slot(*bucket, p.hash_key, 0, data)) {
        set_missing(out);
        return false;
    }
    ++stats.tt_pings;
    if (!trans_table_uncompress(p, data, node.ply, out)) return false;
    out.cutoff = may_cut(p, node, out);
    stats.tt_hits += out.cutoff;
    return out.cutoff;
}

void trans_table_store(uint64_t key, const TTResult& r, SearchStats& stats) {
    TTBucket* bucket = tt_bucket(key);
    if (!bucket) return;
    Move move = r.best_move ? r.best_move : r.tt_move;
    TTFields f{tt_age, r.prev_cut, entry_type(r), r.singular, r.mate_threat, r.one_reply, r.depth,
               tt_score_to_table(r.best, r.ply), r.ev, move_promotion(move), move_to(move),
               move_from(move)};
    uint64_t data = tt_pack(f);

    uint64_t old = 0;
    bool found = false;
    TTSlot* slot = store_slot(*bucket, key, found, old);
    if (found) {
        // A deeper entry survives a shallower result, unless the result is exact and the entry
        // is not, or the result is the root's; it only has its age brought up to date.
        bool deeper = field(old, DEPTH_SHIFT, 7) > field(data, DEPTH_SHIFT, 7);
        if (deeper && r.ply >= 1 && (f.type != TT_PV || field(old, TYPE_SHIFT, 2) == TT_PV))
            data = (old & ~AGE_MASK) | uint64_t(tt_age);
    }
    if (age_distance(old) != 0) ++stats.tt_used;
    write_slot(*slot, key, data);
}

int trans_table_pv(Position& p, Move* pv, int limit) {
    limit = std::min(limit, TT_MAX_PV);
    uint64_t visited[TT_MAX_PV];
    int count = 0, made = 0;
    while (count < limit && p.hist_top + 1 < HISTORY_SIZE) {
        TTBucket* bucket = tt_bucket(p.hash_key);
        uint64_t data;
        TTProbe entry;
        if (!bucket || !find_slot(*bucket, p.hash_key, 0xFFFF, data)) break;
        if (!trans_table_uncompress(p, data, 0, entry) || entry.move == 0) break;
        pv[count++] = entry.move | (entry.singular ? MOVE_SINGULAR_MARK : 0) |
                      (entry.mate_threat ? MOVE_MATE_MARK : 0);
        if (std::find(visited, visited + made, p.hash_key) != visited + made) break;
        visited[made++] = p.hash_key;
        make_move(p, entry.move);
    }
    while (made-- > 0) unmake_move(p);
    return count;
}
