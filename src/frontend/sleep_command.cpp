#include "frontend/sleep_command.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "common/log.h"
#include "platform/clock.h"

void sleep_command(const char* args) {
    int seconds;
    if (std::sscanf(args, "%d", &seconds) != 1) {
        log_print("sleep: requires integer value\n");
        return;
    }
    sleep_ms(int(std::min(seconds * 1000LL, (long long)INT_MAX)));
}
