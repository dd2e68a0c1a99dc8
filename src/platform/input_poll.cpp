#include "platform/input_poll.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

int poll_input(int fd, char* dest, int size, int timeout_ms) {
    pollfd waiting{fd, POLLIN, 0};
    int ready = poll(&waiting, 1, timeout_ms);
    if (ready < 0) return errno == EINTR ? 0 : -1;
    if (ready == 0) return 0;
    if (waiting.revents & POLLNVAL) return -1;
    // POLLHUP and POLLERR fall through to the read, which reports end of file or the error
    // after any bytes still waiting have been taken.
    ssize_t count = read(fd, dest, size_t(std::min(size, INPUT_READ_SIZE)));
    if (count < 0) return errno == EINTR || errno == EAGAIN ? 0 : -1;
    return count == 0 ? -1 : int(count);
}
