#include "frontend/game.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/result_text.h"
#include "board/t_move_basics.h"

Position game_position;

namespace {

constexpr int FIFTY_MOVE_PLIES = 100;

// Where the game began (start position or FEN) and every move since: taking back a move whose
// history entry has been dropped replays the game from here.
Position game_start;
std::vector<Move> game_moves;
int state = RESULT_INCOMPLETE;

// A long game would run the history into the room the search needs: keep only the entries a
// repetition scan can still reach (none before the last capture or pawn move, and none the
// fifty-move rule has already passed).
void compact_history(Position& p) {
    int keep = std::min(p.half_moves, FIFTY_MOVE_PLIES);
    int first = p.hist_top - keep;
    std::memmove(&p.history[0], &p.history[first], sizeof(HistoryEntry) * (keep + 1));
    p.hist_top = keep;
}

void make_and_keep_room(Position& p, Move move) {
    make_move(p, move);
    if (p.hist_top >= GAME_HISTORY_LIMIT) compact_history(p);
}

void play(Position& p, Move move) {
    make_and_keep_room(p, move);
    ++p.move_number;
}

// The position has occurred twice before with the same side to move (the third occurrence).
bool third_repetition(const Position& p) {
    // history[k].hash_key is the key before move k; the same side moves every second entry.
    int oldest = std::max(1, p.hist_top - p.half_moves + 1);
    int seen = 0;
    for (int k = p.hist_top - 3; k >= oldest; k -= 2)
        if (p.history[k].hash_key == p.hash_key && ++seen == 2) return true;
    return false;
}

// Neither side can ever mate, whatever is played: bare kings, a single knight or bishop, or
// bishops that all stand on squares of one colour. A minor piece on each side can still mate
// with help, so such a game goes on: calling it drawn would be a false claim.
bool lacks_material(const Position& p) {
    if (p.pawn_count[WHITE] + p.pawn_count[BLACK] + p.major_count[WHITE] + p.major_count[BLACK] > 0)
        return false;
    if (p.minor_count[WHITE] + p.minor_count[BLACK] <= 1) return true;
    if (p.pieces[WKNIGHT] | p.pieces[BKNIGHT]) return false;
    constexpr Bitboard DARK = 0xAA55AA55AA55AA55ULL;  // a1 is dark
    const Bitboard bishops = p.pieces[WBISHOP] | p.pieces[BBISHOP];
    return !(bishops & DARK) || !(bishops & ~DARK);
}

int state_of(Position& p) {
    Move list[MAX_MOVES];
    int count = 0;
    gen_legal(p, list, count);
    if (count == 0) {
        if (!in_check(p)) return RESULT_STALEMATE;
        return p.turn == WHITE ? RESULT_BLACK_MATES : RESULT_WHITE_MATES;
    }
    if (third_repetition(p)) return RESULT_DRAW_REPETITION;
    if (p.half_moves >= FIFTY_MOVE_PLIES) return RESULT_DRAW_FIFTY_MOVES;
    if (lacks_material(p)) return RESULT_DRAW_MATERIAL;
    return RESULT_INCOMPLETE;
}

void begin_game_from(const Position& p) {
    game_start = p;
    game_position = p;
    game_moves.clear();
    state = RESULT_INCOMPLETE;
}

}  // namespace

void reset_game_position() {
    Position start;
    reset_position(start);
    begin_game_from(start);
}

int set_game_fen(const char* fen, int* consumed) {
    // read_fen leaves a half-set position behind on failure, so it never writes the game.
    static Position scratch;
    if (read_fen(scratch, fen, consumed) != PARSE_OK) return -1;
    begin_game_from(scratch);
    return 0;
}

int make_game_move(Move move) {
    play(game_position, move);
    game_moves.push_back(move);
    state = state_of(game_position);
    return state;
}

void play_setup_move(Move move) {
    make_and_keep_room(game_position, move);
    // Taking back replays from the start once the history is compacted: the start is here now.
    game_start = game_position;
    game_moves.clear();
}

int take_back() {
    if (game_moves.empty()) return -1;
    game_moves.pop_back();
    if (game_position.hist_top >= 1) {
        unmake_move(game_position);
        --game_position.move_number;
    } else {
        game_position = game_start;
        for (Move m : game_moves) play(game_position, m);
    }
    state = RESULT_INCOMPLETE;
    return 0;
}

int game_state() { return state; }

void set_game_state(int code) { state = code; }

int game_move_count() { return int(game_moves.size()); }
