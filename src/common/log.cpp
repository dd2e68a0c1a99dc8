#include "common/log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/spin_lock.h"

namespace {

FILE* log_files[LOG_SLOTS];
SpinLock log_lock;
char format_buffer[LOG_BUFFER_SIZE];

// Write errors are ignored: a failing log must not stop the engine.
void write_to_logs(const char* text, int length) {
    for (FILE* file : log_files) {
        if (!file) continue;
        std::fwrite(text, 1, size_t(length), file);
        std::fflush(file);
    }
}

// Formats one message into the shared buffer (a long one is cut) and writes it to every log
// and, when asked, to standard error, all under the lock. Returns the length written.
int log_message(bool to_stderr, const char* format, va_list args) {
    spin_lock(log_lock);
    int length = std::vsnprintf(format_buffer, sizeof format_buffer, format, args);
    if (length < 0) length = 0;
    if (length >= LOG_BUFFER_SIZE) length = LOG_BUFFER_SIZE - 1;
    write_to_logs(format_buffer, length);
    if (to_stderr) {
        std::fwrite(format_buffer, 1, size_t(length), stderr);
        std::fflush(stderr);
    }
    spin_unlock(log_lock);
    return length;
}

}  // namespace

int log_print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int length = log_message(false, format, args);
    va_end(args);
    return length;
}

int log_write(const char* text) {
    int length = int(std::strlen(text));
    spin_lock(log_lock);
    write_to_logs(text, length);
    spin_unlock(log_lock);
    return length;
}

int log_fatal(int exit_flag, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int length = log_message(true, format, args);
    va_end(args);
    if (exit_flag) leave_process(1);
    return length;
}

void game_add_log(FILE* file) {
    spin_lock(log_lock);
    for (FILE*& slot : log_files) {
        if (!slot) {
            slot = file;
            spin_unlock(log_lock);
            return;
        }
    }
    spin_unlock(log_lock);
    log_print("game_add_log(): all %d logging file handles are already in use!\n", LOG_SLOTS);
}

int percent_text(char* buffer, uint64_t part, uint64_t whole) {
    if (whole == 0) return std::snprintf(buffer, PERCENT_TEXT_SIZE, "[0.0%%]");
    float share = float(part) / float(whole) * 100.0f;
    return std::snprintf(buffer, PERCENT_TEXT_SIZE, "[%2.1f%%]", double(share));
}

void leave_process(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}
