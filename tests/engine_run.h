// Runs the built engine binary on scripted input, in a working directory of its own, and
// collects what it wrote.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct EngineOutput {
    int status = -1;  // exit status, or -1 when the engine did not exit normally in time
    std::string out, err, log;
};

// In a forked child: becomes the engine with `arguments`; never returns.
[[noreturn]] inline void exec_engine(const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(TARVO_BINARY)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(TARVO_BINARY, argv.data());
    _exit(127);
}

// Writes `bytes` to a file `name` in the test's temporary directory; returns its path.
inline std::string write_file(const std::string& name, const std::string& bytes) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline std::string whole_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts the engine with `arguments`, sends each chunk as its own arrival, `pause_ms` apart, then
// closes the engine's input and waits (at most a minute) for it to exit. Output and errors go to
// files, so they never block the engine. A non-empty `options_file` is the engine's tarvo.ini.
inline EngineOutput run_engine_script(const std::vector<std::string>& chunks, int pause_ms = 100,
                                      const std::vector<std::string>& arguments = {},
                                      const std::string& options_file = "") {
    signal(SIGPIPE, SIG_IGN);  // an engine that has already exited shows up as a failed write
    char pattern[] = "/tmp/tarvo_script_XXXXXX";
    const std::string directory = mkdtemp(pattern);
    if (!options_file.empty()) std::ofstream(directory + "/tarvo.ini") << options_file;
    int in[2];
    EXPECT_EQ(pipe(in), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        close(in[0]);
        close(in[1]);
        if (chdir(directory.c_str()) != 0 || !freopen("out", "w", stdout) ||
            !freopen("err", "w", stderr))
            _exit(126);
        exec_engine(arguments);
    }
    close(in[0]);
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto late = [&] { return std::chrono::steady_clock::now() > deadline; };
    bool writing = true;
    for (const std::string& chunk : chunks) {
        for (size_t offset = 0; writing && offset < chunk.size() && !late();) {
            pollfd ready{in[1], POLLOUT, 0};
            poll(&ready, 1, 10);
            ssize_t written = write(in[1], chunk.data() + offset, chunk.size() - offset);
            if (written > 0) offset += size_t(written);
            writing = written >= 0 || errno == EAGAIN;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
    }
    close(in[1]);
    EngineOutput run;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0 && !late())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (late()) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    } else if (WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    run.out = whole_file(directory + "/out");
    run.err = whole_file(directory + "/err");
    run.log = whole_file(directory + "/tarvo_log.txt");
    std::filesystem::remove_all(directory);
    return run;
}

// The next line from `fd` without its newline, keeping what follows in `pending`; false when
// none came within `seconds` or the writer has gone.
inline bool read_line(int fd, std::string& pending, std::string& line, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        size_t end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, int(left.count())) <= 0) continue;
        char buffer[4096];
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) return false;
        pending.append(buffer, size_t(count));
    }
}

// The engine in conversation: lines go in as the test decides, lines come out as they arrive.
class EngineSession {
public:
    EngineSession() {
        signal(SIGPIPE, SIG_IGN);
        char pattern[] = "/tmp/tarvo_session_XXXXXX";
        directory_ = mkdtemp(pattern);
        int in[2], out[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
            if (chdir(directory_.c_str()) != 0) _exit(126);
            execl(TARVO_BINARY, TARVO_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        to_engine_ = in[1];
        from_engine_ = out[0];
    }
    ~EngineSession() {
        if (to_engine_ >= 0) close(to_engine_);
        close(from_engine_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::filesystem::remove_all(directory_);
    }

    void send(const std::string& lines) {
        EXPECT_EQ(write(to_engine_, lines.data(), lines.size()), ssize_t(lines.size()));
    }

    // The next line without its newline; false when none came within `seconds`.
    bool next_line(std::string& line, int seconds = 20) {
        return read_line(from_engine_, pending_, line, seconds);
    }

    std::string log() const { return whole_file(directory_ + "/tarvo_log.txt"); }

    // Ends the engine's input, as an interface does when it goes away.
    void close_input() {
        close(to_engine_);
        to_engine_ = -1;
    }

    // Whether the engine exits (status 0) within `seconds`.
    bool exits_within(int seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(pid_, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (ended != pid_) return false;
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    std::string directory_, pending_;
    pid_t pid_ = -1;
    int to_engine_ = -1, from_engine_ = -1;
};
