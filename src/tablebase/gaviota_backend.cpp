// The Gaviota format through Debian's probing library. The library keeps its state in globals,
// so one set of tables is open at a time.
#include <gtb-probe.h>

#include "common/log.h"
#include "tablebase/tablebase_backend.h"

namespace {

// The compression scheme the library recommends; the tables are looked up as *.gtb.cp4.
constexpr int COMPRESSION = tb_CP4;
// Only distance-to-mate probes are made, so the cache holds no win-draw-loss share.
constexpr int WDL_CACHE_PERCENT = 0;

const char** paths = nullptr;

// Availability bits 0, 2 and 4 say that some 3-, 4- or 5-men table is present.
int men_available() {
    unsigned bits = tb_availability();
    for (int men = 5; men >= 3; --men)
        if (bits & (1u << (2 * (men - 3)))) return men;
    return 0;
}

int gaviota_open(const char* const* folders, int folder_count, long long cache_bytes) {
    paths = tbpaths_init();
    for (int i = 0; i < folder_count && paths; ++i) paths = tbpaths_add(paths, folders[i]);
    if (!paths) return 0;
    tb_init(0, COMPRESSION, paths);
    if (!tb_is_initialized()) return 0;
    // The library answers no probe without its cache.
    if (cache_bytes > 0) tbcache_init(size_t(cache_bytes), WDL_CACHE_PERCENT);
    if (!tbcache_is_on()) {
        log_print("Tablebases: no Gaviota cache of %lld bytes; nothing is probed\n", cache_bytes);
        return 0;
    }
    return men_available();
}

void gaviota_close() {
    if (tbcache_is_on()) tbcache_done();
    if (tb_is_initialized()) tb_done();
    if (paths) paths = tbpaths_done(paths);
}

// The library lists each side's men terminated by tb_NOSQUARE / tb_NOPIECE.
void list_men(const TablebaseQuery& q, int colour, unsigned* squares, unsigned char* pieces) {
    int n = q.count[colour];
    for (int i = 0; i < n; ++i) {
        squares[i] = unsigned(q.squares[colour][i]);
        pieces[i] = static_cast<unsigned char>(q.types[colour][i]);
    }
    squares[n] = tb_NOSQUARE;
    pieces[n] = tb_NOPIECE;
}

TablebaseOutcome gaviota_probe(const TablebaseQuery& q, int& plies) {
    unsigned white_squares[17], black_squares[17];
    unsigned char white_pieces[17], black_pieces[17];
    list_men(q, WHITE, white_squares, white_pieces);
    list_men(q, BLACK, black_squares, black_pieces);
    unsigned stm = q.turn == WHITE ? tb_WHITE_TO_MOVE : tb_BLACK_TO_MOVE;
    unsigned ep = q.ep_square ? unsigned(q.ep_square) : unsigned(tb_NOSQUARE);
    unsigned info = tb_UNKNOWN, mate_plies = 0;
    if (!tb_probe_hard(stm, ep, tb_NOCASTLE, white_squares, black_squares, white_pieces,
                       black_pieces, &info, &mate_plies))
        return TB_OUTCOME_UNKNOWN;
    plies = int(mate_plies);
    if (info == tb_DRAW) return TB_OUTCOME_DRAW;
    if (info != tb_WMATE && info != tb_BMATE) return TB_OUTCOME_UNKNOWN;
    bool white_wins = info == tb_WMATE;
    return white_wins == (q.turn == WHITE) ? TB_OUTCOME_WIN : TB_OUTCOME_LOSS;
}

}  // namespace

const TablebaseBackend gaviota_backend = {"Gaviota", ".gtb.cp4", gaviota_open, gaviota_close,
                                          gaviota_probe};
