#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine_run.h"
#include "frontend/command_line.h"
#include "frontend/dispatch.h"
#include "frontend/frontend_state.h"
#include "frontend/input.h"
#include "frontend/output.h"

namespace {

// --- In process: input lines, trimming and splitting, output, arguments ----------------------

// The lines cut from `bytes`; at the end of input a partial last line still becomes one, once.
std::vector<std::string> lines_of(const std::string& bytes, bool at_end) {
    auto in = std::make_unique<InputBuffer>();
    std::memcpy(in->data, bytes.data(), bytes.size());
    in->fill = int(bytes.size());
    std::vector<std::string> lines;
    char line[LINE_SIZE];
    while (next_input_line(*in, line, LINE_SIZE)) lines.push_back(line);
    if (at_end) {
        terminate_partial_line(*in);
        terminate_partial_line(*in);
        while (next_input_line(*in, line, LINE_SIZE)) lines.push_back(line);
        terminate_partial_line(*in);
        EXPECT_EQ(in->fill, 0);
    }
    return lines;
}

TEST(InputLines, CutInOrderAndThePartialLineWaits) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(lines_of("uci\nisready\npart", false), (Lines{"uci\n", "isready\n"}));
    EXPECT_EQ(lines_of("uci\nisready\npart", true), (Lines{"uci\n", "isready\n", "part\n"}));
    // An overlong line loses its tail but not the next line; a zero byte holds up nothing.
    EXPECT_EQ(lines_of(std::string(5000, 'a') + "\nquit\n", false),
              (Lines{std::string(LINE_SIZE - 1, 'a'), "quit\n"}));
    EXPECT_EQ(lines_of(std::string("go\0junk\nquit\n", 13), false), (Lines{"go", "quit\n"}));
}

TEST(InputLines, TrimAndSplit) {
    char text[] = " \t perft 2 \r\n", blank[] = " \v\f\r\n\t";
    EXPECT_STREQ(trim(text), "perft 2");
    EXPECT_STREQ(trim(blank), "");
    // Only a space cuts the line: a tab stays inside the command word.
    const char* cases[][3] = {
        {"setboard  8/8/8/8/8/8/8/K1k5 w - - \r\n", "setboard", "8/8/8/8/8/8/8/K1k5 w - -"},
        {"quit\n", "quit", ""},
        {"perft\t2\n", "perft\t2", ""}};
    for (const auto& c : cases) {
        std::string line = c[0];
        char *command, *args;
        split_line(line.data(), &command, &args);
        EXPECT_STREQ(command, c[1]);
        EXPECT_STREQ(args, c[2]);
    }
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

// The fatal forms are tried on the binary below.
TEST(CommandLine, ProtocolsAndRemoteAddresses) {
    struct Case {
        std::vector<std::string> arguments;
        int protocol, remote_mode;
        std::string ip;
        int port;
    };
    const Case cases[] = {
        {{"UCI"}, PROTO_UCI, REMOTE_NONE, "", DEFAULT_REMOTE_PORT},
        {{"uci", "Dep"}, PROTO_DEP, REMOTE_NONE, "", DEFAULT_REMOTE_PORT},
        {{"inet_server", "127.0.0.1:7001"}, PROTO_NONE, REMOTE_SERVER, "127.0.0.1", 7001},
        {{"INET_SERVER", "7002"}, PROTO_NONE, REMOTE_SERVER, "any", 7002},
        {{"inet_server", "nonsense"}, PROTO_NONE, REMOTE_SERVER, "any", DEFAULT_REMOTE_PORT},
        {{"inet_client", "localhost"}, PROTO_NONE, REMOTE_CLIENT, "localhost", DEFAULT_REMOTE_PORT},
        // An address alone that is longer than the field is cut, never written past it.
        {{"inet_client", std::string(200, 'h')}, PROTO_NONE, REMOTE_CLIENT,
         std::string(REMOTE_IP_SIZE - 1, 'h'), DEFAULT_REMOTE_PORT},
    };
    for (Case c : cases) {
        frontend = FrontEnd{};
        std::vector<char*> argv{const_cast<char*>("tarvo")};
        for (std::string& argument : c.arguments) argv.push_back(argument.data());
        parse_command_line(int(argv.size()), argv.data());
        EXPECT_EQ(frontend.protocol, c.protocol) << c.arguments[0];
        EXPECT_EQ(frontend.cmdline_protocol, c.protocol) << c.arguments[0];
        EXPECT_EQ(frontend.remote_mode, c.remote_mode) << c.arguments[0];
        EXPECT_EQ(frontend.remote_ip, c.ip) << c.arguments[0];
        EXPECT_EQ(frontend.remote_port, c.port) << c.arguments[0];
    }
}

// --- The real binary, fed through a pipe in a working directory of its own -------------------

using EngineRun = EngineOutput;

EngineRun run_engine(const std::vector<std::string>& chunks,
                     const std::vector<std::string>& arguments = {}) {
    return run_engine_script(chunks, 100, arguments);
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
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, root_line)) {
            parsed.root_moves.push_back(match[1]);
            parsed.root_sum += std::stoull(match[2]);
        } else if (std::regex_match(line, match, total_line)) {
            parsed.totals.push_back(std::stoull(match[1]));
        }
    }
    return parsed;
}

using Totals = std::vector<uint64_t>;

const std::string KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

// Each root move's count and the total; a bad FEN is answered and leaves the game as it was.
TEST(EngineBinary, PerftFromASetBoardAndBadFens) {
    EngineRun run = run_engine({"setboard " + KIWIPETE + "\nperft 2\n",
                                "setboard rnbqkbnr/pppppppp/8/8 w KQkq - 0 1\n",
                                "setboard\nperft 1\nquit\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    PerftOutput perft = parse_perft_output(run.out);
    EXPECT_EQ(perft.root_moves.size(), 48u + 48u);
    EXPECT_EQ(perft.root_sum, 2039u + 48u);
    EXPECT_EQ(perft.totals, (Totals{2039, 48}));
    const size_t complaints = run.out.find("Couldn't parse fen!\nCouldn't parse fen!\n");
    EXPECT_NE(complaints, std::string::npos) << run.out;
    EXPECT_GT(complaints, run.out.find("total games: 2039"));
}

// The eval command's term lines add up, after the last scaling, to the final score it prints;
// a dead draw shows its draw term taking everything back.
TEST(EngineBinary, EvalTermsAddUpToTheFinalScore) {
    EngineRun run = run_engine({"setboard " + KIWIPETE + "\neval\nxboard\nsetboard 4k3/8/8/8/8/8/8/4K1N1 w - - 0 1\neval\nquit\n"});
    static const std::regex term_line(R"((\w+) +(-?\d+) +(-?\d+) +(-?\d+) +(-?\d+))");
    static const std::regex final_line(R"(final score \(White's view, scaled by 116/128\): (-?\d+))");
    std::vector<int> finals, sums;
    int sum = 0, terms = 0;
    std::istringstream lines(run.out);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, term_line)) {
            sum += std::stoi(match[5]), ++terms;
        } else if (std::regex_match(line, match, final_line)) {
            finals.push_back(std::stoi(match[1]));
            sums.push_back(std::clamp(sum * 116 / 128, -9499, 9499));
            EXPECT_EQ(terms, 9);
            sum = terms = 0;
        }
    }
    ASSERT_EQ(finals.size(), 2u) << run.out;
    EXPECT_EQ(finals, sums);
    EXPECT_EQ(finals[1], 0);
}

TEST(EngineBinary, PerftDepthsOutOfRangeOrUnreadableAreRefused) {
    const std::string usage = "usage: perft X, where X is the depth to test.\n";
    auto out_of_range = [](const std::string& depth) {
        return "perft: depth " + depth + " is out of range; this position allows 0 to 727.\n";
    };
    // Depths the history cannot hold would write past it; %d would wrap the big ones.
    const std::pair<std::string, std::string> cases[] = {
        {"", usage},
        {"x", usage},
        {"2x", usage},
        {"1.5", usage},
        {"-1", out_of_range("-1")},
        {"728", out_of_range("728")},
        {"-2147483649", out_of_range("-2147483649")},
        {"4294967296", out_of_range("4294967296")},
        {"99999999999999999999999", out_of_range("99999999999999999999999")},
    };
    std::string script, expected;
    for (const auto& [depth, answer] : cases) {
        script += "perft " + depth + "\n";
        expected += answer;
    }
    EngineRun run = run_engine({"perft 0\n" + script + "perft 1\nquit\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("total games: 1; time: ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n" + expected), std::string::npos) << run.out;
    EXPECT_EQ(parse_perft_output(run.out).totals, (Totals{1, 20}));
}

TEST(EngineBinary, CommandsBeforeAProtocolAreIgnoredOrHandled) {
    EngineRun run =
        run_engine({"go\nisready\nusermove e2e4\nPerft 1\nnew\nperft 1\nquit\nperft 2\n"});
    EXPECT_EQ(run.status, 0);
    // Nothing but the one perft answer: unknown commands get no reply, and after "quit"
    // nothing more is read.
    EXPECT_EQ(parse_perft_output(run.out).totals, Totals{20});
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 21);
}

// Two commands in one write are both handled, a line cut between two writes waits for its
// newline, and at the end of input a last line without one still counts.
TEST(EngineBinary, LinesSplitJoinedOrUnfinishedAtTheEndOfInput) {
    EngineRun run = run_engine({"perft 1\nperft 0\nper", "ft 2\n", "perft 0"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(parse_perft_output(run.out).totals, (Totals{20, 1, 400, 1}));
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
    EXPECT_EQ(parse_perft_output(run.out).totals, (Totals{20, 1, 1}));
    EXPECT_NE(run.log.find("dropped a line longer than"), std::string::npos);
}

TEST(EngineBinary, ProtocolChosenByTheFirstCommand) {
    EngineRun xboard = run_engine({"xboard\nperft 1\nuci\nquit\n"});
    EXPECT_EQ(xboard.status, 0);
    EXPECT_EQ(xboard.out, "\n\n");

    // Under UCI "perft" is unknown, and "uci" identifies again (its option lines: uci_test).
    EngineRun uci = run_engine({"uci\nisready\nperft 1\nuci\nquit\n"});
    EXPECT_EQ(uci.status, 0);
    const std::string uci_identification = uci.out.substr(0, uci.out.find("uciok\n") + 6);
    EXPECT_EQ(uci_identification.rfind("id name Tarvo Harrow X64\nid author the Tarvo developers\n", 0), 0u);
    EXPECT_EQ(uci.out, uci_identification + "readyok\n" + uci_identification);
    EngineRun from_arguments = run_engine({"uci\nquit\n"}, {"UCI"});
    EXPECT_EQ(from_arguments.status, 0);
    EXPECT_EQ(from_arguments.out, uci_identification);

    EngineRun dep = run_engine({"dep\nfoo\ndep\nquit\n"});
    EXPECT_EQ(dep.status, 0);
    EXPECT_EQ(dep.out.rfind("$ command atb\n$ command atw\n", 0), 0u) << dep.out;
    // Its acknowledgements are the DEP test's.
    EXPECT_NE(dep.out.find("$ engine is ready\nack 1\n"), std::string::npos) << dep.out;
}

TEST(EngineBinary, CommandLineErrors) {
    EngineRun unknown = run_engine({"perft 0\nquit\n"}, {"--fast"});
    EXPECT_EQ(unknown.status, 0);
    EXPECT_EQ(unknown.err, "Unknown command line option \"--fast\"\n");
    EXPECT_EQ(parse_perft_output(unknown.out).totals, Totals{1});

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
}

// sleep takes whole numbers of seconds only: "soon", "1.5" and nothing at all are refused.
TEST(EngineBinary, LogHasBannerAndComplaintsButNoProtocolOutput) {
    EngineRun run = run_engine({"perft 1\nsleep soon\nsleep 1.5\nsleep\nsleep -3\nsleep 0\nquit\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.log.rfind("Tarvo Harrow x64 starting up!\nThis version was compiled on ", 0), 0u)
        << run.log;
    EXPECT_NE(run.log.find("Flags: LINUX AMD64 SMP(512) NUMA SUPERCOMPUTER NALIMOV\n\n"),
              std::string::npos);
    size_t complaints = 0;
    for (size_t at = 0; (at = run.log.find("sleep: requires integer value\n", at)) != std::string::npos; ++at)
        ++complaints;
    EXPECT_EQ(complaints, 3u) << run.log;
    EXPECT_EQ(run.log.find("games"), std::string::npos);
}

// A long command keeps reading the input: "quit" or the end of input arriving while it runs
// ends it, and the line waiting behind it is still handled before the engine exits. The perft
// position's first root move (its only capture) mates at once, so its line shows the count has
// begun; the rest of a 727-ply tree would never end.
TEST(EngineBinary, QuitOrEndOfInputStopsLongCommands) {
    struct Case {
        const char* command;
        const char* begun;  // a line part showing the command runs; null: nothing to wait for
    };
    const Case cases[] = {
        {"sleep 99999999\n", nullptr},
        {"sleep 2147483648\n", nullptr},  // once wrapped to a negative time: no sleep
        {"setboard 7k/6pp/8/8/6Q1/8/8/K5R1 w - - 0 1\nperft 727\n", ": games:0"},
        {"bench 60\n", nullptr},  // no position ends at that depth
    };
    for (const Case& c : cases) {
        for (bool by_quit : {true, false}) {
            EngineSession engine;
            engine.send(std::string(c.command) + "perft 0\n");
            std::string line, out;
            while (c.begun && out.find(c.begun) == std::string::npos) {
                ASSERT_TRUE(engine.next_line(line, 60)) << c.command;
                out += line + "\n";
            }
            // Still running: the perft behind it waits.
            EXPECT_FALSE(engine.next_line(line, 1)) << c.command << line;
            if (by_quit)
                engine.send("quit\n");
            else
                engine.close_input();
            EXPECT_TRUE(engine.exits_within(30)) << c.command << (by_quit ? " quit" : " end");
            while (engine.next_line(line, 1)) out += line + "\n";
            // A count cut short reports no total: the only one is the waiting perft's.
            EXPECT_EQ(parse_perft_output(out).totals, Totals{1}) << c.command << out;
            EXPECT_EQ(out.find("Nodes searched"), std::string::npos) << out;
        }
    }
}

}  // namespace

// The bench runs from the command line and as a first command, with the same signature.
TEST(EngineBinary, BenchPrintsOneLinePerPositionAndRepeatableTotals) {
    auto nodes_of = [](const std::string& out) {
        size_t at = out.find("Nodes searched  : ");
        return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
    };
    EngineRun command_line = run_engine({}, {"bench", "3"});
    EXPECT_EQ(command_line.status, 0);
    EXPECT_NE(command_line.out.find("Position 32: depth 3"), std::string::npos);
    EXPECT_NE(command_line.out.find("Total time (ms) : "), std::string::npos);
    EXPECT_NE(command_line.out.find("Nodes/second    : "), std::string::npos);
    EngineRun first_command = run_engine({"bench 3\nquit\n"});
    EXPECT_FALSE(nodes_of(command_line.out).empty());
    EXPECT_EQ(nodes_of(command_line.out), nodes_of(first_command.out));
}
