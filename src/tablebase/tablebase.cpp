#include "tablebase/tablebase.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/log.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "search/search_shared.h"
#include "tablebase/table_files.h"
#include "tablebase/tablebase_backend.h"

namespace {

const TablebaseBackend& backend = gaviota_backend;

// A position whose half-move clock reaches it is drawn.
constexpr int FIFTY_MOVE_PLIES = 100;

// 0 while nothing may be probed: before and during an initialisation, or when no tables were
// found.
std::atomic<int> available_men{0};
// Probes under way; the tables are only closed once none is.
std::atomic<int> probes_in_flight{0};

// Touched by the thread that starts and stops the initialisations only.
Thread init_thread;
bool init_thread_live = false;
bool stops_at_exit = false;
Event init_done;

// Handed to the background thread; stays untouched until it has ended.
std::string init_path;
long long init_cache_bytes = 0;

void close_tables() {
    available_men = 0;
    while (probes_in_flight.load() != 0) __builtin_ia32_pause();
    backend.close();
}

// The count of table files along the folders, or 0 when a file there cannot be read.
int usable_table_count(const std::vector<std::string>& folders) {
    int total = 0;
    for (const std::string& folder : folders) {
        int count = count_table_files(folder, backend.file_suffix);
        if (count < 0) return 0;
        total += count;
    }
    return total;
}

int open_tables(const char* path, long long cache_bytes) {
    std::vector<std::string> folders = tablebase_folders(path);
    if (folders.empty()) {
        log_print("Tablebases: no path given; nothing is probed\n");
        return 0;
    }
    if (usable_table_count(folders) == 0) {
        log_print("Tablebases: no usable %s tables (*%s) along \"%s\"; nothing is probed\n",
                  backend.name, backend.file_suffix, path);
        return 0;
    }
    std::vector<const char*> names;
    for (const std::string& folder : folders) names.push_back(folder.c_str());
    int men = backend.open(names.data(), int(names.size()), cache_bytes);
    if (men == 0) {
        log_print("Tablebases: the %s tables along \"%s\" could not be opened; nothing is probed\n",
                  backend.name, path);
        backend.close();
        return 0;
    }
    log_print("Tablebases: %s tables of up to %d men along \"%s\", cache %lld bytes\n",
              backend.name, men, path, cache_bytes);
    return men;
}

void initialise(void*) {
    close_tables();
    available_men = open_tables(init_path.c_str(), init_cache_bytes);
    event_set(init_done);
}

void join_init_thread() {
    if (!init_thread_live) return;
    thread_join(init_thread);
    init_thread_live = false;
}

// Men of one colour, listed for the tables.
void list_colour(const Position& p, int colour, TablebaseQuery& q) {
    int& n = q.count[colour];
    n = 0;
    for (int type = PAWN; type <= KING; ++type) {
        for (Bitboard men = p.pieces[piece_of(type, colour)]; men;) {
            q.squares[colour][n] = pop_lowest(men);
            q.types[colour][n++] = type;
        }
    }
}

}  // namespace

void tablebase_start(const char* path, long long cache_bytes) {
    // The library's state and the thread go before the process does.
    if (!stops_at_exit) stops_at_exit = std::atexit(tablebase_stop) == 0;
    join_init_thread();
    available_men = 0;
    event_reset(init_done);
    init_path = path ? path : "";
    init_cache_bytes = cache_bytes > 0 ? cache_bytes : 0;
    if (thread_start(init_thread, initialise, nullptr) != 0) {
        log_print("Tablebases: cannot start the initialisation thread; nothing is probed\n");
        event_set(init_done);
        return;
    }
    init_thread_live = true;
}

void tablebase_wait_ready() {
    if (init_thread_live) event_wait(init_done);
}

void tablebase_stop() {
    join_init_thread();
    close_tables();
}

int tablebase_max_men() { return available_men.load(std::memory_order_relaxed); }

bool tablebase_probe(const Position& p, int& score) {
    // The tables hold positions without castling rights only.
    if (p.castle_flags != 0) return false;
    TablebaseQuery q;
    q.turn = p.turn;
    q.ep_square = p.ep_square;
    list_colour(p, WHITE, q);
    list_colour(p, BLACK, q);
    ++probes_in_flight;
    TablebaseOutcome outcome = TB_OUTCOME_UNKNOWN;
    int plies = 0;
    if (q.count[WHITE] + q.count[BLACK] <= available_men.load()) outcome = backend.probe(q, plies);
    --probes_in_flight;
    // The tables ignore the fifty-move rule: a mate it would stop first is left to the search.
    if (outcome != TB_OUTCOME_DRAW && p.half_moves + plies >= FIFTY_MOVE_PLIES)
        return false;
    switch (outcome) {
        case TB_OUTCOME_DRAW: score = 0; return true;
        case TB_OUTCOME_WIN: score = MATE - plies; return true;
        case TB_OUTCOME_LOSS: score = plies - MATE; return true;
        default: return false;
    }
}
