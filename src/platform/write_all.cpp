#include "platform/write_all.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

bool write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

void ignore_broken_pipe_signal() { std::signal(SIGPIPE, SIG_IGN); }
