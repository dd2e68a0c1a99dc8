// The remote link with real sockets on the loopback address, the engine binary serving or
// connecting as a separate process.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstdio>
#include <string>

#include "engine_run.h"

namespace {

constexpr uint32_t LOOPBACK = 0x7f000001;

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    return a;
}

// A listening socket on `port`, or on one the system picks (0). Engines started later must not
// inherit it, or they would take the connections meant for the test.
int listen_on(int port, int* bound_port = nullptr) {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = loopback(port);
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(listen(s, 1), 0);
    socklen_t length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    if (bound_port) *bound_port = ntohs(a.sin_port);
    return s;
}

// The next connection on `listening`, or -1 when none came within `seconds`.
int accept_within(int listening, int seconds) {
    pollfd ready{listening, POLLIN, 0};
    if (poll(&ready, 1, seconds * 1000) != 1) return -1;
    return accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
}

int free_port() {
    int port = 0;
    close(listen_on(0, &port));
    return port;
}

// The engine process with its console in a file.
class RemoteEngine {
public:
    explicit RemoteEngine(const std::vector<std::string>& arguments) {
        char pattern[] = "/tmp/tarvo_remote_XXXXXX";
        directory_ = mkdtemp(pattern);
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(directory_.c_str()) != 0 || !freopen("console", "w", stdout) ||
                !freopen("err", "w", stderr) || !freopen("/dev/null", "r", stdin))
                _exit(126);
            exec_engine(arguments);
        }
    }
    ~RemoteEngine() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        std::filesystem::remove_all(directory_);
    }
    std::string console() const { return whole_file(directory_ + "/console"); }
    std::string log() const { return whole_file(directory_ + "/tarvo_log.txt"); }
    // Resident memory in kB, from the system's view of the process.
    long resident_kb() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        return -1;
    }
    // Whether the console shows `text` `times` times within `seconds`.
    bool console_shows(const std::string& text, int times = 1, int seconds = 20) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        do {
            if (count(console(), text) >= times) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }
    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }

private:
    std::string directory_;
    pid_t pid_;
};

// The far end of a connection with the engine.
class Peer {
public:
    explicit Peer(int fd) : fd_(fd) {
        int on = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~Peer() {
        if (fd_ >= 0) close(fd_);
    }
    // Connects to the engine serving on `port`, once it has said it listens.
    static int connect_to(const RemoteEngine& engine, int port) {
        EXPECT_TRUE(engine.console_shows("Waiting for a connection")) << engine.console();
        int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = loopback(port);
        EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        return s;
    }
    void send(const std::string& text) {
        EXPECT_EQ(::send(fd_, text.data(), text.size(), MSG_NOSIGNAL), ssize_t(text.size()));
    }
    bool next_line(std::string& line, int seconds = 20) {
        return read_line(fd_, pending_, line, seconds);
    }
    // Reads lines until one begins with `start`; false when none came.
    bool read_to(const std::string& start, std::string* before = nullptr) {
        for (std::string line; next_line(line);) {
            if (line.rfind(start, 0) == 0) return true;
            if (before) *before += line + "\n";
        }
        return false;
    }
    // Whether the engine has closed the connection within `seconds`.
    bool closed_by_engine(int seconds = 20) {
        std::string line;
        while (next_line(line, seconds)) {
        }
        char byte;
        return recv(fd_, &byte, 1, MSG_DONTWAIT) == 0;
    }
    // Gone at once: with `reset` the engine's next read fails instead of ending.
    void drop(bool reset) {
        if (reset) {
            linger abort{1, 0};
            setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    std::string pending_;
};

// One server, three peers in turn: each protocol is served with the remote names, a peer's
// settings end with its connection, "quit" closes only the connection, and options that name
// files are refused.
TEST(RemoteServer, ServesEachProtocolInTurnFromTheDefaults) {
    const int port = free_port();
    RemoteEngine engine({"inet_server", "127.0.0.1:" + std::to_string(port)});
    std::string said;
    {
        Peer uci(Peer::connect_to(engine, port));
        uci.send("uci\nsetoption name MultiPV value 3\nsetoption name book value /etc/passwd\n"
                 "setoption name tbpath value /tmp\nsetoption name Source value /etc/passwd\n"
                 "isready\n");
        ASSERT_TRUE(uci.read_to("readyok", &said));
        EXPECT_EQ(said.rfind("id name Tarvo Harrow X64 Remote\n", 0), 0u) << said;
        uci.send("quit\n");
        EXPECT_TRUE(uci.closed_by_engine());
    }
    {
        Peer xboard(Peer::connect_to(engine, port));
        said.clear();
        xboard.send("xboard\nprotover 2\nping 1\n");
        ASSERT_TRUE(xboard.read_to("pong 1", &said));
        EXPECT_NE(said.find("feature myname=\"Tarvo Harrow X64 remote\"\n"), std::string::npos);
    }
    {
        Peer dep(Peer::connect_to(engine, port));
        said.clear();
        dep.send("dep\nmultipv 3\nparameter NalimovPath=/tmp\nparameter book=/etc/passwd\n");
        ASSERT_TRUE(dep.read_to("ack 4", &said));
        EXPECT_NE(said.find("$ parameter \"name\" string constant \"Tarvo Harrow X64 Remote\"\n"),
                  std::string::npos);
        dep.send("quit\n");
        EXPECT_TRUE(dep.closed_by_engine());
    }
    ASSERT_TRUE(engine.console_shows("Waiting for a connection", 4));
    const std::string log = engine.log();
    // MultiPV 3 is set anew by the third peer: the first one's went with its connection.
    EXPECT_EQ(RemoteEngine::count(log, "multipv = 3\n"), 2) << log;
    EXPECT_EQ(RemoteEngine::count(log, "Ignoring remote file option"), 5) << log;
    for (const char* never : {"book = ", "tbpath = ", "nalimovpath = ", "Bad option in file /etc"})
        EXPECT_EQ(log.find(never), std::string::npos) << never;
    const std::string console = engine.console();
    for (const char* shown : {"Accepted connection from 127.0.0.1.\n", "> uci\n", "< uciok\n",
                              "> ping 1\n", "< pong 1\n", "Closing remote connection.\n"})
        EXPECT_NE(console.find(shown), std::string::npos) << shown;
}

// Peers that vanish in the middle of a search, half of them with a reset, leave the server
// serving; the next peer hears nothing of the old searches.
TEST(RemoteServer, PeersDroppingInTheMiddleOfASearch) {
    const int port = free_port();
    RemoteEngine engine({"inet_server", "127.0.0.1:" + std::to_string(port)});
    constexpr int DROPS = 100;
    for (int i = 0; i < DROPS; ++i) {
        Peer peer(Peer::connect_to(engine, port));
        peer.send("uci\nisready\nposition startpos\ngo infinite\n");
        ASSERT_TRUE(peer.read_to("readyok")) << i;
        peer.drop(i % 2 == 1);
    }
    Peer last(Peer::connect_to(engine, port));
    last.send("uci\nisready\n");
    std::string said;
    ASSERT_TRUE(last.read_to("readyok", &said));
    EXPECT_EQ(said.find("bestmove"), std::string::npos) << said;
    EXPECT_EQ(said.find("info"), std::string::npos) << said;
}

// A line in two segments is one command; lines longer than the input buffer are dropped whole
// without the engine's memory growing with them.
TEST(RemoteServer, SplitLinesAndEndlessLines) {
    const int port = free_port();
    RemoteEngine engine({"inet_server", "127.0.0.1:" + std::to_string(port)});
    Peer peer(Peer::connect_to(engine, port));
    peer.send("xboard\nprotover 2\n");
    ASSERT_TRUE(peer.read_to("feature done=1"));
    peer.send("pi");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    peer.send("ng 7\nping 8\n");
    std::string line;
    do ASSERT_TRUE(peer.next_line(line));
    while (line.empty());
    EXPECT_EQ(line, "pong 7");
    ASSERT_TRUE(peer.next_line(line));
    EXPECT_EQ(line, "pong 8");

    const long before = engine.resident_kb();
    const std::string block(1 << 16, 'x');
    for (int i = 0; i < 160; ++i) peer.send(block);  // 10 MiB without a newline
    peer.send("\nping 9\n");
    ASSERT_TRUE(peer.read_to("pong 9"));
    const long growth = engine.resident_kb() - before;
    EXPECT_LT(growth, 4 * 1024) << "kB";
}

// A client whose server goes away connects again, with a fresh socket, once it is back.
TEST(RemoteClient, ConnectsAgainAfterTheServerRestarts) {
    int port = 0;
    int listening = listen_on(0, &port);
    RemoteEngine engine({"inet_client", "127.0.0.1:" + std::to_string(port)});
    for (int round = 0; round < 2; ++round) {
        const int connection = accept_within(listening, 20);
        ASSERT_GE(connection, 0) << round;
        Peer server(connection);
        server.send("uci\nisready\n");
        std::string said;
        ASSERT_TRUE(server.read_to("readyok", &said)) << round;
        EXPECT_EQ(said.rfind("id name Tarvo Harrow X64 Remote\n", 0), 0u) << said;
        if (round == 1) break;
        close(listening);
        server.drop(false);
        ASSERT_TRUE(engine.console_shows("Closing remote connection.\n"));
        listening = listen_on(port);
    }
    close(listening);
    EXPECT_TRUE(engine.console_shows("Connected!\n", 2));
}

// Set-up failures end the engine with their message.
TEST(RemoteSetup, FailuresAreFatal) {
    int port = 0;
    const int taken = listen_on(0, &port);
    const std::string in_use = std::to_string(port);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"inet_client", "any:7000"}, "To connect to another computer, you must specify its IP.\n"},
        {{"inet_server", "300.1.2.3:7000"}, "Couldn't parse IP address \"300.1.2.3\""},
        {{"inet_server", "127.0.0.1:" + in_use},
         "Couldn't bind() to port " + in_use + " (error = "},
    };
    for (const auto& [arguments, message] : cases) {
        EngineOutput run = run_engine_script({}, 0, arguments);
        EXPECT_EQ(run.status, 1) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    close(taken);
}

}  // namespace
