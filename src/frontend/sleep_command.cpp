#include "frontend/sleep_command.h"

#include <algorithm>

#include "common/log.h"
#include "frontend/integer_argument.h"
#include "frontend/quit_watch.h"

namespace {

// Longer than anyone waits for an engine; "quit" or the end of input ends any sleep anyway.
constexpr long long MAX_SLEEP_SECONDS = 365LL * 24 * 3600;

}  // namespace

void sleep_command(const char* args) {
    long long seconds;
    if (!read_integer_argument(args, seconds)) {
        log_print("sleep: requires integer value\n");
        return;
    }
    sleep_unless_quit(std::clamp(seconds, 0LL, MAX_SLEEP_SECONDS) * 1000);
}
