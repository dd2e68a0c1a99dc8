#include "common/settings.h"

int scorepov = 0;
int print_singular_moves = 0;
int enable_mate_extension = 0;

char tb_path[SETTING_TEXT_SIZE];
uint64_t tb_cache_size = 8 << 20;

char book_file[SETTING_TEXT_SIZE];
int book_min_win_percent = 38;
int book_min_count = 4;
int book_max_failed_probes = 0;
int book_require_human_move = 0;
int bookline_exclams_invalidate_book_exclams = 1;

int internet_lag = 100;
int nice_threads = 1;
int numa = 0;
int ignore_remote_memory_values = 0;
int uci_show_curr_line = 0;

int resign_score = -1000;
int drawscore = -300;
int drawmoves = 20;
int drawminmoves = 60;
int debug_smp = 0;
char mmap_text[SETTING_TEXT_SIZE];
