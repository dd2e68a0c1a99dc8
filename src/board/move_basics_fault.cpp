#include "board/move_basics_fault.h"

#include "board/dump.h"
#include "board/notation.h"
#include "common/log.h"

namespace {
KingCaptureHook king_capture_hook = nullptr;
}

void set_king_capture_hook(KingCaptureHook hook) { king_capture_hook = hook; }

// A king can only be captured if the position is already corrupt: report what led here and end
// the process rather than search on garbage.
void report_king_capture(const Position& p, Move move) {
    log_fatal(0, "Unknown piece captured: printing stack\n");
    for (int i = 1; i <= p.hist_top; ++i)
        log_fatal(0, "Stack position: %03d %s\n", i, move_text(p.history[i].move));
    static char dump[DUMP_BUFFER_SIZE];
    dump_position(dump, p, false);
    log_fatal(0, "VP_ERROR::make_move(): Unknown piece type %d captured.\nCurrent move: %sPosition:%s\n",
              move_captured(move), move_text(move), dump);
    if (king_capture_hook) king_capture_hook();
    leave_process(-1);
}
