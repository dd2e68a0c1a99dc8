#include "eval/evaluate.h"

#include <cstring>

#include "board/attacks.h"
#include "board/keys.h"
#include "eval/draw_rules.h"
#include "eval/endgame.h"
#include "eval/eval_options.h"
#include "eval/pawn_rules.h"
#include "eval/phase.h"
#include "eval/square_sets.h"
#include "eval/terms.h"

namespace {

// Copies the entry for `key` into `block` and says whether it is that key's. A cleared entry
// carries key 0, which is also the pawn key of a pawnless board, so key 0 never matches; a
// table sized to nothing never matches either.
bool probe_cache(const hash_table& table, uint64_t key, PawnKingBlock& block) {
    if (table.entries == 0) return false;
    std::memcpy(&block, table.entry_for(key), sizeof block);
    return key != 0 && block.key == key;
}

void store_cache(hash_table& table, const PawnKingBlock& block) {
    if (table.entries != 0) std::memcpy(table.entry_for(block.key), &block, sizeof block);
}

void set_king_attack_flags(const Position& p, EvalInfo& info) {
    for (int c = BLACK; c <= WHITE; ++c)
        info.king_attack[c] = p.pieces[piece_of(QUEEN, c)] != 0 && p.piece_count[c] >= 2;
}

// The king hash holds complete blocks; on a miss the pawn hash may still save the pawn work,
// and the king-dependent fields are added before the block goes to the king hash.
void load_pawn_king_block(const Position& p, PawnKingBlock& block, EvalCaches& caches) {
    const uint64_t king_key = king_pawn_key(p);
    ++caches.stats.khash_probes;
    if (probe_cache(caches.king_hash, king_key, block)) {
        ++caches.stats.khash_hits;
        return;
    }
    ++caches.stats.phash_probes;
    if (probe_cache(caches.pawn_hash, p.pawn_key, block)) {
        ++caches.stats.phash_hits;
    } else {
        block = PawnKingBlock{};
        compute_pawn_structure(p, block);
        block.key = p.pawn_key;
        store_cache(caches.pawn_hash, block);
    }
    add_candidate_scores(p, block);
    compute_shelters(p, block);
    block.key = king_key;
    store_cache(caches.king_hash, block);
}

// Clears what the terms accumulate and sets what they read from the pawns and the pieces.
void prepare_call_data(const Position& p, EvalInfo& info) {
    info.piece_tally = 0;
    std::memset(info.king_attack_sum, 0, sizeof info.king_attack_sum);
    std::memset(info.king_defence_sum, 0, sizeof info.king_defence_sum);

    const Bitboard white_pawns = p.pieces[WPAWN], black_pawns = p.pieces[BPAWN];
    // Set one by one: as one memset with its neighbours the compiler emits `rep stos`, which
    // takes longer to start than these stores take.
    for (Bitboard* side : {info.attacks[BLACK], info.attacks[WHITE]})
        side[0] = side[KNIGHT] = side[BISHOP] = side[ROOK] = side[QUEEN] = side[KING] = 0;
    info.attacks[WHITE][PAWN] = pawn_attacks(white_pawns, WHITE);
    info.attacks[BLACK][PAWN] = pawn_attacks(black_pawns, BLACK);
    info.front_span[WHITE] = fill_forward(white_pawns << 8, WHITE);
    info.front_span[BLACK] = fill_forward(black_pawns >> 8, BLACK);
    info.passed_pawns[WHITE] = passed_pawns_of(white_pawns, black_pawns, WHITE);
    info.passed_pawns[BLACK] = passed_pawns_of(black_pawns, white_pawns, BLACK);

    const int phase = game_phase(p);
    for (int c = BLACK; c <= WHITE; ++c) {
        info.pawn_safe[c] = ~info.attacks[c ^ 1][PAWN];
        info.attack_material[c] = 3 * (p.pieces[piece_of(QUEEN, c)] != 0) +
                                  3 * p.major_count[c] + 2 * p.minor_count[c];
        const uint8_t* shelter = info.block.shelter[c];
        info.king_safety[c] = blend_phase(shelter[MIDDLEGAME], shelter[ENDGAME], phase);
    }
}

// Notes a term's share when a caller asked for them; in play `terms` is null and this is nothing.
inline int note(TermValues* terms, int term, int computed, int added) {
    if (terms) terms->computed[term] = computed, terms->added[term] = added;
    return added;
}

// Material, then the terms in their fixed order; the king term is weighted only when it
// judged an attack on a king.
void add_terms(const Position& p, EvalInfo& info, TermValues* terms) {
    info.score = note(terms, TERM_MATERIAL, p.mat_balance, p.mat_balance);
    const int minor = minor_term(p, info);
    info.score += note(terms, TERM_MINOR, minor, weighted(minor, eval_minor_scoring));
    const int major = major_term(p, info);
    info.score += note(terms, TERM_MAJOR, major, weighted(major, eval_major_scoring));
    const int pawn = pawn_term(p, info);
    info.score += note(terms, TERM_PAWN, pawn, weighted(pawn, eval_pawn_scoring));
    const int passer = passer_term(p, info);
    info.score += note(terms, TERM_PASSER, passer, weighted(passer, eval_passed_pawn_scoring));
    const int king = king_term(p, info);
    const bool attack_judged = info.king_attack[BLACK] != 0 || info.king_attack[WHITE] != 0;
    info.score += note(terms, TERM_KING, king, attack_judged ? weighted(king, eval_kingsafety_scoring) : king);
    const int synergy = synergy_term(p, info);
    info.score += note(terms, TERM_SYNERGY, synergy, synergy);
}

// Inlined into evaluate with no `terms`, where every note disappears.
inline int evaluate_noting(const Position& p, EvalInfo& info, EvalCaches& caches, TermValues* terms) {
    set_king_attack_flags(p, info);
    load_pawn_king_block(p, info.block, caches);
    prepare_call_data(p, info);
    add_terms(p, info, terms);
    const int strong = info.score >= 0 ? WHITE : BLACK;
    int before = info.score;
    apply_draw_rules(p, info, strong);
    note(terms, TERM_DRAW, info.score - before, info.score - before);
    before = info.score;
    info.score = damp_advantage(info.score, advantage_ceiling(p, info, strong));
    note(terms, TERM_FAVORABLE, info.score - before, info.score - before);
    info.score = final_scale(info.score);
    info.stm_score = p.turn == WHITE ? info.score : -info.score;
    return info.stm_score;
}

}  // namespace

int evaluate(const Position& p, EvalInfo& info, EvalCaches& caches) {
    return evaluate_noting(p, info, caches, nullptr);
}

int evaluate_terms(const Position& p, EvalInfo& info, EvalCaches& caches, TermValues& terms) {
    return evaluate_noting(p, info, caches, &terms);
}
