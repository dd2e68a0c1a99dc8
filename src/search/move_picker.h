// The staged move picker: hands a node its moves one at a time, best first, generating each
// stage only when the earlier ones did not end the node. All its state lives in one fixed-size
// record inside the node's frame, so a node can be resumed or shared at a split point.
#pragma once

#include <cstdint>

#include "board/movegen.h"
#include "search/history.h"

constexpr int MAX_TRIED = 32;
constexpr int MAX_ROOT_FIRST = 5;

// Stage numbers (`mg_status`).
enum PickerStage : int {
    STAGE_START = 0,
    STAGE_GEN_CAPTURES = 1,
    STAGE_CAPTURES = 2,
    STAGE_GEN_QUIET = 3,
    STAGE_QUIET = 4,
    STAGE_LOSING = 5,
    STAGE_GEN_EVASIONS = 6,
    STAGE_EVASIONS = 7
};

// Scores of the order (larger first).
constexpr int SCORE_ROOT_FIRST = 10000000;      // + the line's previous score
constexpr int SCORE_EMPTY_TARGET = 8000100;     // en passant, promotion by push
constexpr int SCORE_FAR_AHEAD = 8000000;        // + MVV-LVA
constexpr int SCORE_WINNING_BIAS = 31250;       // (SEE + bias) * 256 + MVV-LVA
constexpr int SCORE_PROMOTION = 8107520;
constexpr int SCORE_EVEN_MINOR = 6000000;       // + MVV-LVA
constexpr int SCORE_EVEN_QUEEN = 8028160;       // + MVV-LVA
constexpr int SCORE_MEETS_THREAT = 5000000;     // + history part
constexpr int SCORE_QUIET = 3000000;            // + history part
constexpr int SCORE_SKIP = -9999999;
// The history part stays below this so that a long search's counters, shifted for pawn pushes
// and killers, cannot overflow a score.
constexpr int HISTORY_SCORE_CAP = 1000000000;

// Entry flag bit 6: a quiet move (stage 4) that moves a threatened piece away.
constexpr uint32_t ENTRY_MEETS_THREAT = 1u << 6;

// A root line's first move and the line's score in the previous iteration.
struct RootFirstMove {
    Move move;
    int score;
};

struct MovePicker {
    int32_t mg_status;
    int32_t tried_count;
    Move tried[MAX_TRIED];         // handed out from the table, searches or root lines; excluded
    int32_t count;
    int32_t next;                  // next index into `moves`, or into `losing` in stage 5
    Move moves[MAX_MOVES];
    int32_t scores[MAX_MOVES];
    int32_t losing_count;
    Move losing[MAX_MOVES];        // quiet moves that lose material, kept for last
    int32_t root_first_count;
    Move root_first[MAX_ROOT_FIRST];  // root lines' first moves placed among the captures
    Bitboard threat_from;          // our pieces under threat
    Bitboard their_reach;          // every square the opponent attacks
    bool one_reply;                // in check with exactly one legal evasion
};

// What the picker needs from the node; filled by the node search for every call.
struct PickerContext {
    Position* position;
    const MoveHistory* history;         // the calling thread's tables
    const RootFirstMove* root_first;    // at the root with multipv > 1, else null
    int root_first_count;               // at most MAX_ROOT_FIRST are used
    Move search_move;                   // best move of an internal search, or NULL_MOVE
    Move tt_move;                       // move from the table, or NULL_MOVE
    int ply;
    int depth;     // quiescence: 0 at the first quiescence ply, negative below
    int alpha;
    int beta;
    int ev_stm;    // static evaluation for the side to move (quiescence only)
    bool in_check;
    bool pv_node;
};

// Node entry and the singular test: forget everything, `tried` included.
void picker_start(MovePicker& picker);
// After an ordering search: start again from stage 0 but keep `tried`, so nothing in it is
// handed out twice. The caller adds the moves it has searched to `tried` first.
void picker_restart(MovePicker& picker);
// Appends to `tried`; false when it is full.
bool picker_add_tried(MovePicker& picker, Move move);

// Next move of an ordinary node into `move`, with its entry flag bits in `flags`; returns 0, or
// 1 when the node has no moves left (and keeps returning 1).
int next_move(MovePicker& picker, const PickerContext& ctx, Move& move, uint32_t& flags);
// The same for a quiescence node.
int next_qmove(MovePicker& picker, const PickerContext& ctx, Move& move, uint32_t& flags);
// Moves not yet handed out in the stages that hand out a list; 32 in the others.
int moves_remaining(const MovePicker& picker);
