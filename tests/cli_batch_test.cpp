// kestrane-cli batches: several addresses from arguments or standard input,
// in each output format, against loopback share pages.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <chrono>
#include <map>
#include <optional>
#include <thread>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/aria2_rpc.h"
#include "cli/ordered_batch.h"
#include "cli/output_format.h"
#include "support/cli_runner.h"
#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using loopback::PageServer;
using loopback::Redirect;

using RunResult = test::CliRun;

RunResult RunCli(const std::string& args, const std::string& input = "") {
    return test::RunCliBinary(KESTRANE_CLI_PATH, args, input);
}

// An aria2 input file read back: each entry's mirrors and its options.
struct Aria2Entry {
    std::vector<std::string> uris;
    std::map<std::string, std::string> options;
};

std::vector<Aria2Entry> ReadAria2(const std::string& text, std::vector<std::string>& comments) {
    std::vector<Aria2Entry> entries;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("#")) {
            comments.push_back(line);
        } else if (line.starts_with(" ")) {
            const auto eq = line.find('=');
            if (!entries.empty() && eq != std::string::npos) entries.back().options[line.substr(1, eq - 1)] = line.substr(eq + 1);
        } else if (!line.empty()) {
            Aria2Entry e;
            std::istringstream fields(line);
            for (std::string uri; std::getline(fields, uri, '\t');) e.uris.push_back(uri);
            entries.push_back(e);
        }
    }
    return entries;
}

class CliBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Link, mirrors (the second host answers a redirect on port 80), name, size, MD5.
        second.Set("/hop", Redirect(share.Url("/end")));
        share.Set("/file", Redirect("http://127.0.0.62/hop"));
        share.SetPage("/s/full", ";;_dlink=\"" + share.Url("/file") +
                                     "\";if filename=%E4%B8%AD%E6%96%87.txt\\\" \\\"size\\\":\\\"1048576\\\" "
                                     "\\\"md5\\\":\\\"0123456789ABCDEF0123456789abcdef\\\"");
        share.SetPage("/s/evil", ";;_dlink=\"" + share.Url("/plain") + "\";if filename=..%2F..%2Fetc%2Fpasswd\\\"");
        share.SetPage("/s/dots", ";;_dlink=\"" + share.Url("/plain") + "\";if filename=..\\\"");
        share.SetPage("/s/none", "<html>no link</html>");
    }

    PageServer share{"127.0.0.61"};
    PageServer second{"127.0.0.62", 80};
};

TEST_F(CliBatchTest, PlainNamesEachShareAndSeparatesThem) {
    const RunResult r = RunCli(share.Url("/s/full") + " " + share.Url("/s/none"));
    ASSERT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, "kestrane-cli: " + share.Url("/s/none") + ": no link on the page\n");
    const std::string firstBlock = r.out.substr(0, r.out.find("\n\n") + 1);
    EXPECT_EQ(firstBlock, "share: " + share.Url("/s/full") + "\naddress1: " + share.Url("/file") +
                              "\naddress2: http://127.0.0.62/hop\naddress3: " + share.Url("/end") +
                              "\nname: 中文.txt\nkind: 文本文档   (txt)\nsize: 1MB\nmd5: 0123456789ABCDEF0123456789abcdef\n");
    EXPECT_NE(r.out.find("\n\nshare: " + share.Url("/s/none") + "\naddress1: http://\n"), std::string::npos);
}

TEST_F(CliBatchTest, JsonLinesFromStandardInput) {
    const std::string input = "  " + share.Url("/s/full") + "  \n\n\t\n" + share.Url("/s/none") + "\r\n";
    for (const std::string args : {"--json -", "--json"}) {
        const RunResult r = RunCli(args, input);
        ASSERT_EQ(r.exitCode, 3) << args;
        std::istringstream lines(r.out);
        std::vector<nlohmann::json> objects;
        for (std::string line; std::getline(lines, line);) objects.push_back(nlohmann::json::parse(line));
        ASSERT_EQ(objects.size(), 2u) << args;
        EXPECT_EQ(objects[0].at("share"), share.Url("/s/full"));
        EXPECT_EQ(objects[0].at("name"), "中文.txt");
        EXPECT_EQ(objects[0].size(), 8u);
        EXPECT_EQ(objects[1].at("share"), share.Url("/s/none"));
        EXPECT_EQ(objects[1].at("address1"), "http://");
    }
    // One address keeps the one-object form without "share".
    const auto single = nlohmann::json::parse(RunCli("--json " + share.Url("/s/none")).out);
    EXPECT_FALSE(single.contains("share"));
}

TEST_F(CliBatchTest, Aria2FileCarriesEveryMirrorTheNameAndTheChecksum) {
    const std::string input = share.Url("/s/full") + "\n" + share.Url("/s/evil") + "\n" + share.Url("/s/dots") + "\n" +
                              share.Url("/s/none") + "\n";
    const RunResult r = RunCli("--aria2 --header 'Referer: http://pan.example/' -H 'Cookie: a=b' -", input);
    ASSERT_EQ(r.exitCode, 3);
    std::vector<std::string> comments;
    const auto entries = ReadAria2(r.out, comments);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].uris,
              (std::vector<std::string>{share.Url("/file"), "http://127.0.0.62/hop", share.Url("/end")}));
    EXPECT_EQ(entries[0].options.at("out"), "中文.txt");
    EXPECT_EQ(entries[0].options.at("checksum"), "md5=0123456789abcdef0123456789abcdef");
    // Both headers, each on its own " header=" line (the reader keeps the last one of a name).
    EXPECT_NE(r.out.find(" header=Referer: http://pan.example/\n header=Cookie: a=b\n"), std::string::npos) << r.out;
    EXPECT_EQ(entries[0].options.at("header"), "Cookie: a=b");
    EXPECT_EQ(entries[1].options.at("out"), ".._.._etc_passwd");
    EXPECT_FALSE(entries[1].options.contains("checksum"));
    EXPECT_EQ(entries[2].options.at("out"), "_");
    EXPECT_EQ(comments, (std::vector<std::string>{"# no link: " + share.Url("/s/none")}));
}

TEST_F(CliBatchTest, BadAddressesAreSkippedAndReported) {
    const RunResult r = RunCli("--json -", "http://127.0.0.61/\x01x\n\xFF\xFE\n" + share.Url("/s/none") + "\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("control character"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("not valid UTF-8"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);  // the good one was still parsed
    // No progress line when standard error is not a terminal, nor on a dumb one.
    EXPECT_EQ(r.err.find('['), std::string::npos) << r.err;
    EXPECT_EQ(RunCli(share.Url("/s/none") + " " + share.Url("/s/none")).err.find('['), std::string::npos);
    // Skipped (1) wins over no link (3).
    EXPECT_EQ(RunCli("--json -", "\xFF\n" + share.Url("/s/none") + "\n").exitCode, 1);
}

// The progress line shows on a terminal (script(1) gives the run one), and
// stays off on a dumb one.
TEST_F(CliBatchTest, ProgressLineOnlyOnACapableTerminal) {
    const std::string run = std::string(KESTRANE_CLI_PATH) + " " + share.Url("/s/full") + " " + share.Url("/s/none") +
                            " 2>&1 >/dev/null";
    for (const auto& [term, shown] : {std::pair{"xterm", true}, std::pair{"dumb", false}}) {
        FILE* pipe = popen(("TERM=" + std::string(term) + " script -qec '" + run + "' /dev/null").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string terminal;
        char buf[4096];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) terminal.append(buf, n);
        pclose(pipe);
        EXPECT_EQ(terminal.find("[2/2] " + share.Url("/s/none")) != std::string::npos, shown) << term << ": " << terminal;
        EXPECT_NE(terminal.find(share.Url("/s/none") + ": no link on the page"), std::string::npos) << term << ": " << terminal;
    }
}

// Several workers, each parse a whole one with its own window: the results
// are those of one worker, in input order, whatever order they finish in.
TEST_F(CliBatchTest, JobsKeepInputOrderAndGiveTheSameResults) {
    std::string input;
    for (int i = 0; i < 12; ++i) {
        const std::string path = "/s/slow" + std::to_string(i);
        // The first ones take longest, so later ones finish first.
        loopback::Reply page = loopback::HttpReply(200, "OK", ";;_dlink=\"" + share.Url("/f" + std::to_string(i)) +
                                                                  "\";if filename=f" + std::to_string(i) + ".txt\\\"");
        page.delay = std::chrono::milliseconds(20 * (12 - i));
        share.Set(path, page);
        input += share.Url(i % 4 == 3 ? "/s/none" : path) + "\n";
    }
    const RunResult one = RunCli("--jobs 1 -", input);
    ASSERT_EQ(one.exitCode, 3);
    for (const std::string args : {"-j 8 -", "-j64 -", "-"}) {
        const RunResult many = RunCli(args, input);
        EXPECT_EQ(many.exitCode, 3) << args;
        EXPECT_EQ(many.out, one.out) << args;
        EXPECT_EQ(many.err, one.err) << args;
    }
    std::size_t at = 0;
    for (int i = 0; i < 12; ++i) {
        const std::string name = i % 4 == 3 ? "name: \n" : "name: f" + std::to_string(i) + ".txt\n";
        at = one.out.find(name, at);
        ASSERT_NE(at, std::string::npos) << name;
    }
}

// A host that never answers holds one worker: the addresses after it are
// parsed meanwhile, and each result is written as soon as it and all before
// it are done.
TEST_F(CliBatchTest, AHungHostHoldsOneWorkerNotTheBatch) {
    std::optional<PageServer> stuck(std::in_place, "127.0.0.63");
    loopback::Reply hang;
    hang.hang = true;
    stuck->Set("/s/hang", hang);
    const std::string hung = stuck->Url("/s/hang");
    std::vector<std::string> args{KESTRANE_CLI_PATH, "--json", "-j", "3", share.Url("/s/full"), hung};
    for (int i = 0; i < 6; ++i) args.push_back(share.Url("/s/none"));
    test::ChildProcess cli(args);
    std::string first;
    ASSERT_TRUE(cli.ReadLine(first));
    EXPECT_EQ(nlohmann::json::parse(first).at("share"), share.Url("/s/full"));
    // The six after the hung one are fetched by the other workers while it hangs.
    const auto fetchedNone = [&] {
        const auto requests = share.Server().Requests();
        return std::count_if(requests.begin(), requests.end(), [](const auto& r) { return r.target == "/s/none"; });
    };
    for (int wait = 0; wait < 500 && fetchedNone() < 6; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(fetchedNone(), 6);
    EXPECT_TRUE(cli.Running());
    stuck.reset();  // the hung exchange ends: the rest comes out at once, in order
    std::istringstream rest(cli.ReadRest());
    std::vector<std::string> shares;
    for (std::string line; std::getline(rest, line);) shares.push_back(nlohmann::json::parse(line).at("share"));
    EXPECT_EQ(shares.size(), 7u);
    ASSERT_FALSE(shares.empty());
    EXPECT_EQ(shares.front(), hung);
    EXPECT_EQ(cli.Wait(), 3);
    EXPECT_EQ(cli.Err().rfind("kestrane-cli: " + hung + ": no page arrived", 0), 0u) << cli.Err();
}

// Items come out in order whatever order the workers finish them in; each
// worker's state is its own; work that throws still lets the batch end.
TEST(OrderedBatchTest, EmitsInOrderWithOneStatePerWorker) {
    for (const auto& [count, jobs] : std::vector<std::pair<std::size_t, std::size_t>>{{0, 4}, {1, 4}, {7, 1}, {20, 3}, {5, 64}}) {
        std::vector<int> worker(count, -1);
        std::vector<std::size_t> emitted;
        std::atomic<int> workers{0};
        RunOrderedBatch(
            count, jobs,
            [&]() -> BatchWork {
                const int id = workers++;
                return [&, id](std::size_t i) {
                    // Later items finish first.
                    std::this_thread::sleep_for(std::chrono::milliseconds(2 * static_cast<int>(count - i)));
                    worker[i] = id;
                    if (i == 2) throw std::runtime_error("work that fails");
                };
            },
            [&](std::size_t i) {
                EXPECT_NE(worker[i], -1) << i;  // done before it is emitted
                emitted.push_back(i);
            });
        std::vector<std::size_t> want(count);
        for (std::size_t i = 0; i < count; ++i) want[i] = i;
        EXPECT_EQ(emitted, want) << count << " items, " << jobs << " jobs";
        EXPECT_EQ(static_cast<std::size_t>(workers.load()), std::min(count, jobs));
    }
}

// Without threads to be had (a process limit), the batch still runs, on the
// calling thread, rather than ending the program. Shown in a child process
// that gives up root first: RLIMIT_NPROC does not bind a privileged user.
TEST(OrderedBatchTest, RunsOnWhenNoThreadCanStart) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit one{1, 1};  // this process alone: no room for a thread
        if (::setrlimit(RLIMIT_NPROC, &one) != 0) ::_exit(10);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            // Root of a user namespace cannot become nobody; it holds no
            // privilege outside it, so the limit binds it as it is.
        }
        try {
            std::thread probe([] {});
            probe.join();
            ::_exit(11);  // the limit did not bind
        } catch (const std::system_error&) {
        }
        std::vector<std::size_t> emitted;
        bool elsewhere = false;
        const std::thread::id self = std::this_thread::get_id();
        const auto work = [&]() -> BatchWork {
            return [&](std::size_t) { elsewhere = elsewhere || std::this_thread::get_id() != self; };
        };
        RunOrderedBatch(5, 4, work, [&](std::size_t i) { emitted.push_back(i); });
        ::_exit(emitted == std::vector<std::size_t>{0, 1, 2, 3, 4} && !elsewhere ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the batch ended the program";
    // Real root inside a user namespace can neither become nobody nor be
    // bound by the limit (the kernel exempts uid 0 itself).
    if (WEXITSTATUS(status) == 11) GTEST_SKIP() << "RLIMIT_NPROC does not bind uid 0 here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no limit set, 12: wrong items";
}

// The aria2.addUri call as aria2 documents it: the secret first as
// "token:…", then the mirrors of one download, then its options.
TEST(Aria2RpcTest, AddUriRequestShape) {
    const Aria2Download download{{"http://a/f", "http://b/f"}, "中文.txt", "md5=0123456789abcdef0123456789abcdef"};
    const auto full = nlohmann::json::parse(
        Aria2AddUriRequest({"http://127.0.0.1:6800/jsonrpc", "s3cret", {"Referer: http://x/", "Cookie: a=b"}}, download, "kestrane-1"));
    EXPECT_EQ(full.at("jsonrpc"), "2.0");
    EXPECT_EQ(full.at("id"), "kestrane-1");
    EXPECT_EQ(full.at("method"), "aria2.addUri");
    EXPECT_EQ(full.at("params"), nlohmann::json::parse(R"(["token:s3cret", ["http://a/f", "http://b/f"],
        {"out": "中文.txt", "checksum": "md5=0123456789abcdef0123456789abcdef",
         "header": ["Referer: http://x/", "Cookie: a=b"]}])"));
    // No secret, no name, no checksum, no header: only what there is.
    const auto bare = nlohmann::json::parse(Aria2AddUriRequest({"http://h/jsonrpc", "", {}}, {{"http://a/f"}, "", ""}, "2"));
    EXPECT_EQ(bare.at("params"), nlohmann::json::parse(R"([["http://a/f"], {}])"));
}

TEST(SafeFileNameTest, Table) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.txt", "a.txt"}, {"../x", ".._x"}, {"a\\b", "a_b"}, {"..", "_"}, {".", "_"},
        {"a\tb\x7F", "a_b_"}, {"中文.txt", "中文.txt"}, {"...", "..."},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(SafeFileName(in), want) << in;
}

}  // namespace
}  // namespace kestrane
