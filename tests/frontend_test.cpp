#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/command_line.h"
#include "frontend/dispatch.h"
#include "frontend/frontend_state.h"
#include "frontend/input.h"
#include "frontend/output.h"

// ---------------------------------------------------------------------------------------------
// Input lines, trimming and splitting, in process.

namespace {

std::unique_ptr<InputBuffer> buffer_holding(const std::string& bytes) {
    auto in = std::make_unique<InputBuffer>();
    std::memcpy(in->data, bytes.data(), bytes.size());
    in->fill = int(bytes.size());
    return in;
}

}  // namespace

TEST(InputLines, CompleteLinesComeOutInOrderAndAPartialLineWaits) {
    auto in = buffer_holding("uci\nisready\npart");
    char line[LINE_SIZE];
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_STREQ(line, "uci\n");
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_STREQ(line, "isready\n");
    EXPECT_EQ(next_input_line(*in, line, LINE_SIZE), 0);
    ASSERT_EQ(in->fill, 4);
    EXPECT_EQ(std::string(in->data, 4), "part");

    // At end of input the partial line still becomes a line, once.
    terminate_partial_line(*in);
    terminate_partial_line(*in);
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_STREQ(line, "part\n");
    EXPECT_EQ(in->fill, 0);
    terminate_partial_line(*in);
    EXPECT_EQ(in->fill, 0);
}

TEST(InputLines, OverlongLineLosesItsTailButNotTheNextLine) {
    auto in = buffer_holding(std::string(5000, 'a') + "\nquit\n");
    char line[LINE_SIZE];
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_EQ(std::strlen(line), size_t(LINE_SIZE - 1));
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_STREQ(line, "quit\n");
}

TEST(InputLines, ZeroByteDoesNotHoldUpLaterLines) {
    auto in = buffer_holding(std::string("go\0junk\nquit\n", 13));
    char line[LINE_SIZE];
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_STREQ(line, "go");
    ASSERT_EQ(next_input_line(*in, line, LINE_SIZE), 1);
    EXPECT_STREQ(line, "quit\n");
}

TEST(InputLines, TrimAndSplit) {
    char text[] = " \t perft 2 \r\n";
    EXPECT_STREQ(trim(text), "perft 2");
    char blank[] = " \v\f\r\n\t";
    EXPECT_STREQ(trim(blank), "");

    char with_args[] = "setboard  8/8/8/8/8/8/8/K1k5 w - - \r\n";
    char* command;
    char* args;
    split_line(with_args, &command, &args);
    EXPECT_STREQ(command, "setboard");
    EXPECT_STREQ(args, "8/8/8/8/8/8/8/K1k5 w - -");

    char alone[] = "quit\n";
    split_line(alone, &command, &args);
    EXPECT_STREQ(command, "quit");
    EXPECT_STREQ(args, "");

    // Only a space cuts the line: a tab stays inside the command word.
    char tabbed[] = "perft\t2\n";
    split_line(tabbed, &command, &args);
    EXPECT_STREQ(command, "perft\t2");
    EXPECT_STREQ(args, "");
}

TEST(Output, FormattingStopsAtTheEndOfTheBuffer) {
    output_buffer.fill = 0;
    std::string block(1000, 'x');
    int added = 0;
    for (int i = 0; i < 1100; ++i) added += out_print("%s", block.c_str());
    EXPECT_EQ(added, output_buffer.fill);
    EXPECT_EQ(output_buffer.fill, OUTPUT_BUFFER_SIZE - 1);
    EXPECT_EQ(out_print("more"), 0);
    output_buffer.fill = 0;
    EXPECT_EQ(out_print("move %s\n", "e2e4"), 10);
    EXPECT_EQ(std::string(output_buffer.data, 10), "move e2e4\n");
    output_buffer.fill = 0;
}

// ---------------------------------------------------------------------------------------------
// Command-line arguments, in process (the fatal forms are tried on the binary below).

namespace {

void parse_arguments(std::vector<std::string> arguments) {
    frontend = FrontEnd{PROTO_NONE, PROTO_NONE, REMOTE_NONE, "", DEFAULT_REMOTE_PORT,
                        false,      false,      false,       STOP_NONE};
    std::vector<char*> argv{const_cast<char*>("tarvo")};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    parse_command_line(int(argv.size()), argv.data());
}

}  // namespace

TEST(CommandLine, ProtocolsIgnoreCase) {
    parse_arguments({"UCI"});
    EXPECT_EQ(frontend.protocol, PROTO_UCI);
    EXPECT_EQ(frontend.cmdline_protocol, PROTO_UCI);
    parse_arguments({"uci", "Dep"});
    EXPECT_EQ(frontend.protocol, PROTO_DEP);
    EXPECT_EQ(frontend.cmdline_protocol, PROTO_DEP);
    EXPECT_EQ(frontend.remote_mode, REMOTE_NONE);
}

TEST(CommandLine, RemoteAddresses) {
    parse_arguments({"inet_server", "127.0.0.1:7001"});
    EXPECT_EQ(frontend.remote_mode, REMOTE_SERVER);
    EXPECT_STREQ(frontend.remote_ip, "127.0.0.1");
    EXPECT_EQ(frontend.remote_port, 7001);

    parse_arguments({"INET_SERVER", "7002"});
    EXPECT_EQ(frontend.remote_mode, REMOTE_SERVER);
    EXPECT_STREQ(frontend.remote_ip, "any");
    EXPECT_EQ(frontend.remote_port, 7002);

    parse_arguments({"inet_server", "nonsense"});
    EXPECT_STREQ(frontend.remote_ip, "any");
    EXPECT_EQ(frontend.remote_port, DEFAULT_REMOTE_PORT);

    parse_arguments({"inet_client", "localhost"});
    EXPECT_EQ(frontend.remote_mode, REMOTE_CLIENT);
    EXPECT_STREQ(frontend.remote_ip, "localhost");
    EXPECT_EQ(frontend.remote_port, DEFAULT_REMOTE_PORT);

    // An address alone that is longer than the field is cut, never written past it.
    parse_arguments({"inet_client", std::string(200, 'h')});
    EXPECT_EQ(std::strlen(frontend.remote_ip), size_t(REMOTE_IP_SIZE - 1));
}

// ---------------------------------------------------------------------------------------------
// The real binary driven through pipes, in a working directory of its own.

namespace {

struct EngineRun {
    int status = -1;  // exit status, or -1 when the engine did not exit normally in time
    std::string out;
    std::string err;
    std::string log;
};

constexpr auto RUN_DEADLINE = std::chrono::seconds(60);
constexpr auto CHUNK_PAUSE = std::chrono::milliseconds(100);

class EngineProcess {
  public:
    explicit EngineProcess(const std::vector<std::string>& arguments) {
        // An engine that has already exited must show up as a failed write here.
        signal(SIGPIPE, SIG_IGN);
        char pattern[] = "/tmp/tarvo_frontend_XXXXXX";
        directory_ = mkdtemp(pattern);
        int in[2], out[2], err[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
            if (chdir(directory_.c_str()) != 0) _exit(126);
            std::vector<char*> argv{const_cast<char*>(TARVO_BINARY)};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(TARVO_BINARY, argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        to_engine_ = in[1];
        from_engine_ = out[0];
        errors_ = err[0];
        fcntl(to_engine_, F_SETFL, O_NONBLOCK);
    }

    ~EngineProcess() {
        for (int fd : {to_engine_, from_engine_, errors_})
            if (fd >= 0) close(fd);
        std::filesystem::remove_all(directory_);
    }

    // Sends each chunk as its own arrival, with a pause between chunks, then closes the
    // engine's input; collects everything until the engine exits.
    EngineRun run(const std::vector<std::string>& chunks) {
        EngineRun result;
        auto deadline = std::chrono::steady_clock::now() + RUN_DEADLINE;
        size_t chunk = 0;
        size_t offset = 0;
        auto next_chunk_time = std::chrono::steady_clock::now();
        while (from_engine_ >= 0 || errors_ >= 0) {
            auto now = std::chrono::steady_clock::now();
            if (now > deadline) {
                kill(pid_, SIGKILL);
                break;
            }
            if (chunk == chunks.size() && to_engine_ >= 0) {
                close(to_engine_);
                to_engine_ = -1;
            }
            bool may_write = to_engine_ >= 0 && chunk < chunks.size() && now >= next_chunk_time;
            pollfd fds[3] = {{from_engine_, POLLIN, 0},
                             {errors_, POLLIN, 0},
                             {may_write ? to_engine_ : -1, POLLOUT, 0}};
            poll(fds, 3, 10);
            drain(fds[0], from_engine_, result.out);
            drain(fds[1], errors_, result.err);
            if (may_write && (fds[2].revents & (POLLOUT | POLLERR))) {
                const std::string& text = chunks[chunk];
                ssize_t written = write(to_engine_, text.data() + offset, text.size() - offset);
                if (written > 0) offset += size_t(written);
                if (written < 0 && errno != EAGAIN) break;
                if (offset == text.size()) {
                    ++chunk;
                    offset = 0;
                    next_chunk_time = std::chrono::steady_clock::now() + CHUNK_PAUSE;
                }
            }
        }
        int wait_status = 0;
        waitpid(pid_, &wait_status, 0);
        if (WIFEXITED(wait_status) && std::chrono::steady_clock::now() <= deadline)
            result.status = WEXITSTATUS(wait_status);
        std::ifstream log_file(directory_ + "/tarvo_log.txt");
        std::stringstream log_text;
        log_text << log_file.rdbuf();
        result.log = log_text.str();
        return result;
    }

  private:
    static void drain(const pollfd& polled, int& fd, std::string& into) {
        if (fd < 0 || !(polled.revents & (POLLIN | POLLHUP | POLLERR))) return;
        char buffer[65536];
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count > 0) {
            into.append(buffer, size_t(count));
        } else {
            close(fd);
            fd = -1;
        }
    }

    std::string directory_;
    pid_t pid_ = -1;
    int to_engine_ = -1;
    int from_engine_ = -1;
    int errors_ = -1;
};

EngineRun run_engine(const std::vector<std::string>& chunks,
                     const std::vector<std::string>& arguments = {}) {
    EngineProcess engine(arguments);
    return engine.run(chunks);
}

struct PerftOutput {
    std::vector<std::string> root_moves;
    uint64_t root_sum = 0;
    std::vector<uint64_t> totals;
};

PerftOutput parse_perft_output(const std::string& out) {
    static const std::regex root_line(R"((\S+): games:(\d+))");
    static const std::regex total_line(
        R"(total games: (\d+); time: \d+\.\d{3} s; nps: \d+\.\d{3})");
    PerftOutput parsed;
    std::istringstream lines(out);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, match, root_line)) {
            parsed.root_moves.push_back(match[1]);
            parsed.root_sum += std::stoull(match[2]);
        } else if (std::regex_match(line, match, total_line)) {
            parsed.totals.push_back(std::stoull(match[1]));
        }
    }
    return parsed;
}

const std::string KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

}  // namespace

TEST(EngineBinary, PerftFromASetBoardReportsEachRootMoveAndTheTotal) {
    EngineRun run = run_engine({"setboard " + KIWIPETE + "\nperft 2\nquit\n"});
    EXPECT_EQ(run.status, 0);
    PerftOutput perft = parse_perft_output(run.out);
    EXPECT_EQ(perft.root_moves.size(), 48u);
    EXPECT_EQ(perft.root_sum, 2039u);
    EXPECT_EQ(perft.totals, std::vector<uint64_t>{2039});
    EXPECT_EQ(run.err, "");
}

TEST(EngineBinary, PerftDepthZeroAndMissingDepth) {
    EngineRun run = run_engine({"perft 0\nperft\nperft x\nperft -1\nquit\n"});
    EXPECT_EQ(run.status, 0);
    const std::string usage = "usage: perft X, where X is the depth to test.\n";
    EXPECT_EQ(run.out.rfind("total games: 1; time: ", 0), 0u) << run.out;
    EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), usage + usage + usage);
}

TEST(EngineBinary, BadFenIsAnsweredAndLeavesTheGameAsItWas) {
    EngineRun run = run_engine({"setboard " + KIWIPETE + "\n",
                                "setboard rnbqkbnr/pppppppp/8/8 w KQkq - 0 1\n",
                                "setboard\nperft 1\nquit\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Couldn't parse fen!\nCouldn't parse fen!\n", 0), 0u) << run.out;
    EXPECT_EQ(parse_perft_output(run.out).totals, std::vector<uint64_t>{48});
}

TEST(EngineBinary, CommandsBeforeAProtocolAreIgnoredOrHandled) {
    EngineRun run =
        run_engine({"go\nisready\nusermove e2e4\nPerft 1\nnew\nperft 1\nquit\nperft 2\n"});
    EXPECT_EQ(run.status, 0);
    PerftOutput perft = parse_perft_output(run.out);
    // Nothing but the one perft answer: unknown commands get no reply, and after "quit"
    // nothing more is read.
    EXPECT_EQ(perft.totals, std::vector<uint64_t>{20});
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 21);
}

TEST(EngineBinary, LinesSplitOrJoinedAcrossArrivals) {
    // Two commands in one write are both handled; a line cut between two writes waits for
    // its newline.
    EngineRun run = run_engine({"perft 1\nperft 0\nper", "ft 2\n", "quit\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(parse_perft_output(run.out).totals, (std::vector<uint64_t>{20, 1, 400}));
}

TEST(EngineBinary, EndOfInputEndsTheEngineCleanly) {
    EngineRun run = run_engine({"perft 1\nperft 0"});
    EXPECT_EQ(run.status, 0);
    // The last line had no newline; it still counts.
    EXPECT_EQ(parse_perft_output(run.out).totals, (std::vector<uint64_t>{20, 1}));

    EngineRun silent = run_engine({});
    EXPECT_EQ(silent.status, 0);
    EXPECT_EQ(silent.out, "");
}

TEST(EngineBinary, OverlongLinesAreCutAndOversizedInputIsDropped) {
    // The tail beyond 4095 characters belongs to the cut line; it must not run as a command.
    std::string overlong = "perft 1" + std::string(4100, ' ') + "perft 2\n";
    // More than the whole input buffer without a newline, then a good command. The whole
    // oversized line goes, including the tail beyond the buffer that reads as a command.
    std::string flood = std::string(INPUT_BUFFER_SIZE, 'x') + "perft 2";
    EngineRun run = run_engine({overlong, flood, "\nperft 0\n", std::string("perft 0\0x\n", 10)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(parse_perft_output(run.out).totals, (std::vector<uint64_t>{20, 1, 1}));
    EXPECT_NE(run.log.find("dropped a line longer than"), std::string::npos);
}

TEST(EngineBinary, ProtocolChosenByTheFirstCommand) {
    EngineRun xboard = run_engine({"xboard\nperft 1\nuci\nquit\n"});
    EXPECT_EQ(xboard.status, 0);
    EXPECT_EQ(xboard.out, "\n\n");

    const std::string uci_identification =
        "id name Tarvo Harrow X64\nid author the Tarvo developers\nuciok\n";
    EngineRun uci = run_engine({"uci\nisready\nperft 1\nuci\nquit\n"});
    EXPECT_EQ(uci.status, 0);
    EXPECT_EQ(uci.out, uci_identification + uci_identification);

    EngineRun from_arguments = run_engine({"uci\nquit\n"}, {"UCI"});
    EXPECT_EQ(from_arguments.status, 0);
    EXPECT_EQ(from_arguments.out, uci_identification);

    EngineRun dep = run_engine({"dep\nfoo\ndep\nquit\n"});
    EXPECT_EQ(dep.status, 0);
    EXPECT_EQ(dep.out.rfind("$ command atb\n$ command atw\n", 0), 0u) << dep.out;
    EXPECT_NE(dep.out.find("$ parameter \"name\" string constant \"Tarvo Harrow X64\"\n"),
              std::string::npos);
    // The counter restarts with every identification; every command is acknowledged.
    std::string acks;
    std::istringstream lines(dep.out);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("ack ", 0) == 0 || line == "$ engine is ready") acks += line + "|";
    EXPECT_EQ(acks, "$ engine is ready|ack 1|ack 2|$ engine is ready|ack 1|ack 2|");
}

TEST(EngineBinary, CommandLineErrors) {
    EngineRun unknown = run_engine({"perft 0\nquit\n"}, {"--fast"});
    EXPECT_EQ(unknown.status, 0);
    EXPECT_EQ(unknown.err, "Unknown command line option \"--fast\"\n");
    EXPECT_EQ(parse_perft_output(unknown.out).totals, std::vector<uint64_t>{1});

    EngineRun missing = run_engine({}, {"inet_server"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("inet_server and inet_client options require an IP/port string."),
              std::string::npos);

    EngineRun bad_pair = run_engine({}, {"inet_client", ":7000"});
    EXPECT_EQ(bad_pair.status, 1);
    EXPECT_EQ(bad_pair.err, "Couldn't parse IP:Port pair :7000\n");
    EXPECT_NE(bad_pair.log.find("Couldn't parse IP:Port pair :7000\n"), std::string::npos);

    // An address too long for its field is refused, never written past the field.
    std::string long_pair = std::string(200, 'h') + ":7003";
    EngineRun too_long = run_engine({}, {"inet_client", long_pair});
    EXPECT_EQ(too_long.status, 1);
    EXPECT_EQ(too_long.err, "Couldn't parse IP:Port pair " + long_pair + "\n");

    // The remote link is refused plainly rather than half served.
    EngineRun remote = run_engine({}, {"inet_server", "127.0.0.1:7000"});
    EXPECT_EQ(remote.status, 1);
    EXPECT_NE(remote.err.find("remote link"), std::string::npos);
    EXPECT_EQ(remote.out, "");
}

TEST(EngineBinary, LogHasBannerAndFeatureLineButNoProtocolOutput) {
    EngineRun run = run_engine({"perft 1\nsleep soon\nquit\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.log.rfind("Tarvo Harrow x64 starting up!\nThis version was compiled on ", 0), 0u)
        << run.log;
    EXPECT_NE(run.log.find("Flags: LINUX AMD64 SMP(512) NUMA SUPERCOMPUTER NALIMOV\n\n"),
              std::string::npos);
    EXPECT_NE(run.log.find("sleep: requires integer value\n"), std::string::npos);
    EXPECT_EQ(run.log.find("games"), std::string::npos);
}
