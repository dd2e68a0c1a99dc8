// Search settings: plain globals that the options code sets and the search reads directly.
#pragma once

extern int multipv;
extern int probe_in_qsearch;
extern int qsearch_evasions;
extern int enable_singular_extension;  // 0 off, 1 on, 2 at PV nodes only
extern int singular_margin;
extern int singular_margin_pv;
extern int singular_extension_in_check;
extern int limit_mate_extension;
extern int mate_extension_max_depth;
extern int enable_check_extension;
extern int check_extension_max_depth;
extern int enable_check_evasion_extension;
extern int limit_check_evasion_extension;
extern int check_evasion_extension_max_depth;
extern int enable_one_rep_extension;
extern int one_rep_extension_max_depth;
extern int enable_null_move;
extern int null_move_r3_min_depth;
extern int null_move_r4_min_depth;
extern int ext_mos;
extern int enable_history_pruning;
extern int history_pruning_depth;
extern int limit_history_pruning;
extern int limit_history_pruning_margin;
extern int enable_reduction_refutation_extension;
extern int enable_deep_pvs;
extern int enable_deep_pvs_margin;
extern int enable_user_lines;
extern int user_lines_min_depth;
extern int tb_min_depth;  // stored times 4, compared with plies

// Kept for the option table; the search does not read them.
extern int checks_in_qsearch;
extern int pawn_push_in_qsearch;
extern int singular_extension_in_check_min_depth;
extern int singular_extension_max_depth;
extern int singular_extension_min_depth;
extern int enable_futility_pruning;
extern int futility_margin;
extern int enable_multicut_pruning;
extern int extended_history_pruning_margin;
extern int extended_history_pruning;
extern int history_pruning_moves;
