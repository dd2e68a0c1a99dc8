// Global settings: plain variables that the options code sets and the rest of the engine reads
// directly. Booleans are ints holding 0 or 1.
#pragma once

#include <cstdint>

// Room for a text setting, with its terminating zero.
constexpr int SETTING_TEXT_SIZE = 512;

// Scores are shown from the side to move's point of view instead of White's.
extern int scorepov;
// Principal variations mark moves that received the singular extension with "!".
extern int print_singular_moves;
// The mate-threat extension of the search; its moves are marked "[M]" in principal variations.
extern int enable_mate_extension;

// Endgame tablebases: where they are and how much memory caches them.
extern char tb_path[SETTING_TEXT_SIZE];
extern uint64_t tb_cache_size;

// The opening book: its file and how it chooses.
extern char book_file[SETTING_TEXT_SIZE];
extern int book_min_win_percent;
extern int book_min_count;
extern int book_max_failed_probes;
extern int book_require_human_move;
extern int bookline_exclams_invalidate_book_exclams;

// Milliseconds taken off each time target over a remote link.
extern int internet_lag;
// Search threads run one priority step below normal.
extern int nice_threads;
// Thread placement by memory node; changing it restarts the threads.
extern int numa;
// Remote peers may not change the memory options.
extern int ignore_remote_memory_values;
// UCI "info currline" lines.
extern int uci_show_curr_line;

// Kept for the option table; nothing reads them yet.
extern int resign_score;
extern int drawscore;
extern int drawmoves;
extern int drawminmoves;
extern int debug_smp;
extern char mmap_text[SETTING_TEXT_SIZE];
