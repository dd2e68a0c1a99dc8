// The option table in matching order: a name that begins another name comes after it, so that
// each option is selected by its own name.
#include "common/settings.h"
#include "eval/eval_options.h"
#include "frontend/option_actions.h"
#include "frontend/option_table.h"
#include "frontend/xboard_output.h"
#include "search/search_options.h"
#include "search/table_sizing.h"
#include "tablebase/tablebase.h"

namespace {

constexpr int64_t MIB = 1 << 20;
constexpr int64_t GIB = 1 << 30;

constexpr OptionEntry number(const char* name, int* target, int64_t min, int64_t max,
                             int64_t default_value, void (*changed)(int) = nullptr) {
    return {name, OPTION_NUMBER, min, max, default_value, target, nullptr, nullptr, 1, 1, changed,
            nullptr, nullptr, nullptr};
}

constexpr OptionEntry flag(const char* name, int* target, int default_value) {
    return number(name, target, 0, 1, default_value);
}

// Stored as value * mul / div; the default is the stored value.
constexpr OptionEntry scaled(const char* name, int* target, int64_t max, int default_stored, int mul,
                             int div, void (*changed)(int) = nullptr) {
    return {name, OPTION_NUMBER, 0, max, default_stored, target, nullptr, nullptr, mul, div,
            changed, nullptr, nullptr, nullptr};
}

// An evaluation weight: the table's stored evaluations were made with the old weights.
constexpr OptionEntry weight(const char* name, int* target) {
    return scaled(name, target, 500, 128, 128, 100, evaluation_changed);
}

constexpr OptionEntry size(const char* name, uint64_t* target, int64_t min, int64_t max,
                           int64_t default_value, void (*changed)(int), bool (*fits)(int64_t)) {
    return {name, OPTION_SIZE, min, max, default_value, nullptr, target, nullptr, 1, 1, changed,
            fits, nullptr, nullptr};
}

constexpr OptionEntry text(const char* name, char* target, void (*changed)(int) = nullptr,
                           const char* default_text = nullptr) {
    return {name, OPTION_TEXT, 0, 0, 0, nullptr, nullptr, target, 1, 1, changed, nullptr, nullptr,
            nullptr, default_text};
}

constexpr OptionEntry command(const char* name, int64_t min, int64_t max,
                              void (*handle)(const OptionEntry&, const char*, int)) {
    return {name, OPTION_COMMAND, min, max, 0, nullptr, nullptr, nullptr, 1, 1, nullptr, nullptr,
            handle, nullptr};
}

constexpr OptionEntry logged_as(OptionEntry entry, const char* log_name) {
    entry.log_name = log_name;
    return entry;
}

}  // namespace

const OptionEntry option_table[] = {
    scaled("tb_min_depth", &tb_min_depth, 500, 5, 4, 1),
    size("tbcache", &tb_cache_size, MIB, 2147483647, 8 * MIB, restart_tablebases, nullptr),
    size("nalimovcache", &tb_cache_size, MIB, 2147483647, 8 * MIB, restart_tablebases, nullptr),
    text("tbpath", tb_path, restart_tablebases, DEFAULT_TABLEBASE_PATH),
    text("nalimovpath", tb_path, restart_tablebases, DEFAULT_TABLEBASE_PATH),
    size("hash", &hash_size, 8 * MIB, 16 * GIB, int64_t(HASH_DEFAULT), table_size_changed, fits_every_thread),
    size("khash", &khash_size, 0, GIB, int64_t(KHASH_DEFAULT), table_size_changed, fits_every_thread),
    size("phash", &phash_size, 0, GIB, int64_t(PHASH_DEFAULT), table_size_changed, fits_every_thread),
    command("memory", 0, 64 * 1024 * GIB, set_memory),
    text("mmap", mmap_text),
    number("kibitz", &kibitz, 0, 3, 0),
    flag("scorepov", &scorepov, 0),
    flag("qsearch_evasions", &qsearch_evasions, 1),
    flag("checks_in_qsearch", &checks_in_qsearch, 1),
    flag("probe_in_qsearch", &probe_in_qsearch, 1),
    flag("pawn_push_in_qsearch", &pawn_push_in_qsearch, 1),
    number("resign_score", &resign_score, -100000, -500, -1000),
    number("drawscore", &drawscore, -100000, 100, -300),
    number("drawmoves", &drawmoves, 1, 1000, 20),
    number("drawminmoves", &drawminmoves, 0, 1000, 60),
    number("enable_singular_extension", &enable_singular_extension, 0, 2, 1),
    number("singular_margin_pv", &singular_margin_pv, 10, 1000, 50),
    number("singular_margin", &singular_margin, 10, 1000, 75),
    number("singular_extension_in_check_min_depth", &singular_extension_in_check_min_depth, 0, 1000, 0),
    flag("singular_extension_in_check", &singular_extension_in_check, 0),
    number("singular_extension_max_depth", &singular_extension_max_depth, 0, 1000, 500),
    number("singular_extension_min_depth", &singular_extension_min_depth, 0, 1000, 4),
    flag("enable_futility_pruning", &enable_futility_pruning, 0),
    number("futility_margin", &futility_margin, 0, 1000, 200),
    flag("enable_mate_extension", &enable_mate_extension, 0),
    flag("limit_mate_extension", &limit_mate_extension, 1),
    number("mate_extension_max_depth", &mate_extension_max_depth, 0, 400, 100),
    flag("enable_check_extension", &enable_check_extension, 0),
    // The three maximum depths reach 500, their defaults, so that a default can be set again.
    number("check_extension_max_depth", &check_extension_max_depth, 0, 500, 500),
    flag("enable_check_evasion_extension", &enable_check_evasion_extension, 1),
    flag("limit_check_evasion_extension", &limit_check_evasion_extension, 1),
    number("check_evasion_extension_max_depth", &check_evasion_extension_max_depth, 0, 500, 500),
    flag("enable_one_rep_extension", &enable_one_rep_extension, 0),
    number("one_rep_extension_max_depth", &one_rep_extension_max_depth, 0, 500, 500),
    flag("enable_null_move", &enable_null_move, 1),
    number("null_move_r3_min_depth", &null_move_r3_min_depth, 0, 100, 0),
    number("null_move_r4_min_depth", &null_move_r4_min_depth, 0, 100, 100),
    flag("enable_multicut_pruning", &enable_multicut_pruning, 0),
    flag("ext_mos", &ext_mos, 1),
    flag("enable_history_pruning", &enable_history_pruning, 1),
    number("extended_history_pruning_margin", &extended_history_pruning_margin, 0, 100, 25),
    flag("extended_history_pruning", &extended_history_pruning, 0),
    number("enable_deep_pvs_margin", &enable_deep_pvs_margin, 0, 100, 20),
    flag("enable_deep_pvs", &enable_deep_pvs, 0),
    number("limit_history_pruning_margin", &limit_history_pruning_margin, 0, 100, 18),
    flag("limit_history_pruning", &limit_history_pruning, 1),
    number("history_pruning_depth", &history_pruning_depth, 0, 100, 3),
    number("history_pruning_moves", &history_pruning_moves, 0, 100, 3),
    flag("enable_reduction_refutation_extension", &enable_reduction_refutation_extension, 1),
    command("threads", 1, 512, set_thread_count),
    command("processors", 1, 512, set_thread_count),
    command("cpus", 1, 512, set_thread_count),
    number("book_min_win_percent", &book_min_win_percent, 0, 100, 38),
    number("book_min_count", &book_min_count, 0, 10000000, 4),
    number("book_max_failed_probes", &book_max_failed_probes, 0, 100, 0),
    flag("book_require_human_move", &book_require_human_move, 0),
    flag("bookline_exclams_invalidate_book_exclams", &bookline_exclams_invalidate_book_exclams, 1),
    text("book", book_file, open_book),
    number("internet_lag", &internet_lag, 0, 30000, 100),
    weight("eval_passed_pawn_scoring", &eval_passed_pawn_scoring),
    weight("eval_pawn_scoring", &eval_pawn_scoring),
    weight("eval_minor_scoring", &eval_minor_scoring),
    weight("eval_major_scoring", &eval_major_scoring),
    weight("eval_kingsafety_scoring", &eval_kingsafety_scoring),
    flag("debug_smp", &debug_smp, 0),
    flag("nice", &nice_threads, 1),
    number("numa", &numa, 0, 1, 0, numa_changed),
    flag("print_singular_moves", &print_singular_moves, 0),
    command("idletimer", 0, 0, set_idle_timer),
    number("multipv", &multipv, 1, 127, 1),
    logged_as(flag("ignore_remote_memory_values", &ignore_remote_memory_values, 0),
              "ignore remote memory values"),
    command("source", 0, 0, read_source),
    flag("UCI_ShowCurrLine", &uci_show_curr_line, 0),
    number("smooth_mobility", &smooth_mobility, 0, 1, 1, evaluation_changed),
    command("clear_hash_tables", 0, 0, clear_hash_tables),
    flag("enable_user_lines", &enable_user_lines, 1),
    number("user_lines_min_depth", &user_lines_min_depth, 0, 63, 8),
    command("inode", 0, 0, include_user_line),
    command("xinodelist", 0, 0, clear_user_lines),
    command("xinode", 0, 0, exclude_user_line),
};

const int option_count = int(sizeof option_table / sizeof option_table[0]);
