// kestrane-cli end to end: the real binary against a loopback share page.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli_options.h"
#include "cli/pasted_address.h"
#include "cli/terminal_text.h"
#include "kestrane/version.h"
#include "loopback/loopback_server.h"
#include "support/cli_runner.h"

namespace kestrane {
namespace {

using loopback::HttpReply;
using loopback::PageServer;
using loopback::Reply;

using RunResult = test::CliRun;

RunResult RunCli(const std::string& args, const std::string& input = "") {
    return test::RunCliBinary(KESTRANE_CLI_PATH, args, input);
}

TEST(CliTest, PrintsTheSevenOutputsPlainAndAsJson) {
    PageServer server;
    server.SetPage("/s/1", R"(x;;_dlink="http://127.0.0.9/file?a=1";if y)");

    const RunResult plain = RunCli(server.Url("/s/1"));
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out.substr(0, plain.out.find('\n')), "address1: http://127.0.0.9/file?a=1");
    std::string keys;
    for (std::size_t at = 0; at < plain.out.size();) {
        const std::size_t eol = plain.out.find('\n', at);
        keys += plain.out.substr(at, plain.out.find(':', at) - at) + ",";
        at = eol + 1;
    }
    EXPECT_EQ(keys, "address1,address2,address3,name,kind,size,md5,");

    const RunResult json = RunCli("--json " + server.Url("/s/1"));
    EXPECT_EQ(json.exitCode, 0);
    const auto object = nlohmann::json::parse(json.out);
    EXPECT_EQ(object.size(), 7u);
    EXPECT_EQ(object.at("address1"), "http://127.0.0.9/file?a=1");
    for (const auto& [key, value] : object.items()) EXPECT_TRUE(value.is_string()) << key;
}

// A skipped line is named, not echoed back whole.
TEST(CliTest, AReportNamesALongLineShortly) {
    const RunResult r = RunCli("-", std::string(100000, 'x') + "\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kestrane-cli: " + std::string(300, 'x') + "…: skipped: no http or https address in it\n");
}

// Results that cannot be written are a failure, not a silent exit 0.
TEST(CliTest, AnUnwritableStandardOutputIsAFailure) {
    PageServer server;
    server.SetPage("/s/1", R"(x;;_dlink="http://127.0.0.9/file?a=1";if y)");
    for (const char* format : {"", "--json ", "--aria2 "}) {
        const RunResult r = RunCli(std::string(format) + server.Url("/s/1") + " >/dev/full");
        EXPECT_EQ(r.exitCode, 5) << format;
        EXPECT_EQ(r.err, "kestrane-cli: standard output: No space left on device\n") << format;
    }
}

TEST(CliTest, ShowsTheFileDetailsInUtf8) {
    PageServer server;
    server.SetPage("/s/2", R"(filename=%E4%B8%AD%E6%96%87.txt\", \"size\":\"1048576\", )"
                           R"(\"md5\":\"0123456789abcdef0123456789abcdef\")");
    const RunResult r = RunCli("--json " + server.Url("/s/2"));
    // Details without a link: still shown, but the address gave no link.
    ASSERT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, "kestrane-cli: " + server.Url("/s/2") + ": no link on the page\n");
    const auto object = nlohmann::json::parse(r.out);
    EXPECT_EQ(object.at("name"), "中文.txt");
    EXPECT_EQ(object.at("kind"), "文本文档   (txt)");
    EXPECT_EQ(object.at("size"), "1MB");
    EXPECT_EQ(object.at("md5"), "0123456789abcdef0123456789abcdef");
}

TEST(CliTest, FollowsTheLinkToBothMirrors) {
    PageServer share("127.0.0.51");
    PageServer second("127.0.0.52", 80);
    PageServer third("127.0.0.53");
    share.SetPage("/s/3", ";;_dlink=\"" + share.Url("/f") + "\";if");
    share.Set("/f", loopback::Redirect("http://127.0.0.52/hop"));
    second.Set("/hop", loopback::Redirect(third.Url("/end")));
    const auto object = nlohmann::json::parse(RunCli("--json " + share.Url("/s/3")).out);
    EXPECT_EQ(object.at("address1"), share.Url("/f"));
    EXPECT_EQ(object.at("address2"), "http://127.0.0.52/hop");
    EXPECT_EQ(object.at("address3"), third.Url("/end"));

    second.Set("/hop", loopback::HttpReply(400, "Bad Request", ""));
    const auto bad = nlohmann::json::parse(RunCli("--json " + share.Url("/s/3")).out);
    EXPECT_EQ(bad.at("address2"), "http://127.0.0.52/hop");
    EXPECT_EQ(bad.at("address3"), "");
}

// The demo site shows the whole pipeline on a machine without the internet.
TEST(CliTest, TheDemoSiteGivesAFullParse) {
    test::ChildProcess site({KESTRANE_DEMO_SITE_PATH});
    std::string share;
    ASSERT_TRUE(site.ReadLine(share));
    const RunResult r = RunCli("--json " + share);
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    const auto object = nlohmann::json::parse(r.out);
    for (const auto& [key, value] : object.items()) EXPECT_NE(value, "") << key;
    EXPECT_EQ(object.at("name"), "演示文件.txt");
    EXPECT_EQ(object.at("md5"), "767dbc044c255a5f0ffb61acac8c6c59");
}

#ifdef KESTRANE_WINDOW_PATH
// Without a window system the window program cannot create its window: it
// says so with the run-time error report and ends with -1.
TEST(WindowProgramTest, NoWindowSystemGivesTheStartWindowReport) {
    const std::string command =
        "QT_QPA_PLATFORM=no-such-platform " KESTRANE_WINDOW_PATH " 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string err;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) err.append(buf, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
    EXPECT_NE(err.find("错误\n运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"), std::string::npos) << err;
}
#endif

TEST(CliTest, WrongUsageExitsWithTwo) {
    const std::pair<const char*, const char*> cases[] = {
        {"--bogus http://127.0.0.1/", "unknown option --bogus"},
        {"-x http://127.0.0.1/", "unknown option -x"},
        {"--json --aria2 http://127.0.0.1/", "choose one of --json and --aria2"},
        {"-j 0 http://127.0.0.1/", "--jobs takes a number from 1 to 64"},
        {"--jobs=65 http://127.0.0.1/", "--jobs takes a number from 1 to 64"},
        {"-j4x http://127.0.0.1/", "--jobs takes a number"},
        {"http://127.0.0.1/ --jobs", "needs a value"},
        {"--aria2 --header 'X-Token abc' http://127.0.0.1/", "--header has no colon"},
        {"--aria2 --header ': v' http://127.0.0.1/", "--header has no name"},
        {"--aria2 --header 'Referer https://pan.example/' http://127.0.0.1/", "--header has no header name before its colon"},
        {"--aria2 --header \"$(printf 'A: b\\r\\nX-Forged: 1')\" http://127.0.0.1/", "--header holds a line break"},
        {"--aria2 --header \"$(printf 'A: b\\nX-Forged: 1')\" http://127.0.0.1/", "--header holds a line break"},
        {"--header 'Referer: http://x/' http://127.0.0.1/", "--header goes with --aria2 or --aria2-rpc"},
        {"--aria2 --aria2-rpc http://127.0.0.1:6800/jsonrpc http://127.0.0.1/", "choose one of --aria2 and --aria2-rpc"},
        {"--aria2-rpc ftp://127.0.0.1/ http://127.0.0.1/", "--aria2-rpc takes an http"},
        {"--aria2-secret s http://127.0.0.1/", "--aria2-secret goes with --aria2-rpc"},
    };
    for (const auto& [args, message] : cases) {
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find(message), std::string::npos) << args << "\n" << r.err;
        EXPECT_NE(r.err.find("usage: kestrane-cli"), std::string::npos) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    const RunResult help = RunCli("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"--json", "--aria2", "aria2c -i", "JSON Lines", "share: ", "--jobs", "-j 16", "--header",
                             "--aria2-rpc", "--aria2-secret", "Exit status", "  3  ", "  4  ", "--version"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    for (const char* args : {"--version", "-V"}) {
        const RunResult version = RunCli(args);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, std::string("kestrane-cli ") + kVersion + "\n");
    }
}

// The option forms getopt_long gives: values joined or apart, bundles, "--",
// operands before options.
TEST(CliOptionsTest, AcceptsTheUsualForms) {
    struct Case {
        std::vector<std::string> args;
        std::size_t jobs;
        std::vector<std::string> addresses;
    } cases[] = {
        {{"http://a/"}, 4, {"http://a/"}},
        {{"-j4", "http://a/"}, 4, {"http://a/"}},
        {{"-j", "16", "http://a/"}, 16, {"http://a/"}},
        {{"--jobs=64", "http://a/"}, 64, {"http://a/"}},
        {{"--jobs", "1", "http://a/"}, 1, {"http://a/"}},
        {{"http://a/", "-j2", "http://b/"}, 2, {"http://a/", "http://b/"}},
        {{"-j3", "--", "-j5", "--json"}, 3, {"-j5", "--json"}},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto options = ParseCliOptions(c.args, error);
        ASSERT_TRUE(options) << c.args.front() << ": " << error;
        EXPECT_EQ(options->jobs, c.jobs) << c.args.front();
        EXPECT_EQ(options->addresses, c.addresses) << c.args.front();
        EXPECT_EQ(options->format, OutputFormat::kPlain) << c.args.front();
    }
    std::string error;
    const auto rpc = ParseCliOptions({"--aria2-rpc=http://127.0.0.1:6800/jsonrpc", "--aria2-secret", "t", "-H",
                                      "Referer: http://x/", "--header=Cookie: a=b", "--json", "-"},
                                     error);
    ASSERT_TRUE(rpc) << error;
    EXPECT_EQ(rpc->aria2RpcUrl, "http://127.0.0.1:6800/jsonrpc");
    EXPECT_EQ(rpc->aria2Secret, "t");
    EXPECT_EQ(rpc->headers, (std::vector<std::string>{"Referer: http://x/", "Cookie: a=b"}));
    EXPECT_EQ(rpc->format, OutputFormat::kJson);
    EXPECT_TRUE(rpc->readStdin);
}

TEST(CliTest, AHostileTenMegabytePageStillEndsWithAParse) {
    PageServer server;
    server.SetPage("/hostile", R"(;;_dlink=")" + std::string(10 << 20, 'a'));
    const RunResult r = RunCli("--json " + server.Url("/hostile"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(nlohmann::json::accept(r.out));
    EXPECT_EQ(r.err, "kestrane-cli: " + server.Url("/hostile") + ": no link on the page\n");
}

// Each way a share page can fail to give a link is told apart on standard
// error, one line per address, and the exit status is 3.
TEST(CliTest, SaysWhyAnAddressGaveNoLink) {
    PageServer server;
    std::string refused;
    {
        PageServer gone;
        refused = gone.Url("/s/gone");
    }
    server.Set("/s/missing", HttpReply(404, "Not Found", "<html>no such share</html>"));
    server.Set("/s/error", HttpReply(503, "Service Unavailable", ""));
    server.Set("/s/empty", HttpReply(200, "OK", ""));
    server.SetPage("/s/nolink", "<html>a page without a link</html>");
    Reply cut = HttpReply(200, "OK", "<html>partial");
    cut.bytes.replace(cut.bytes.find("Content-Length: 13"), 18, "Content-Length: 9999");
    cut.resetAfterBytes = true;
    server.Set("/s/cut", cut);
    Reply silent;
    silent.resetAfterBytes = true;
    server.Set("/s/silent", silent);
    // A 404 page that still carries a link gives that link.
    server.Set("/s/linked404", HttpReply(404, "Not Found", R"(;;_dlink="http://127.0.0.9/f";if)"));

    const std::pair<std::string, std::string> cases[] = {
        {refused, "could not connect: Failed to connect to 127.0.0.1 port"},
        {server.Url("/s/missing"), "the page answered HTTP 404 Not Found"},
        {server.Url("/s/error"), "the page answered HTTP 503 Service Unavailable"},
        {server.Url("/s/empty"), "the page is empty"},
        {server.Url("/s/nolink"), "no link on the page"},
        {server.Url("/s/cut"), "the page broke off after 13 bytes: "},
        {server.Url("/s/silent"), "no page arrived: "},
    };
    for (const auto& [url, reason] : cases) {
        const RunResult r = RunCli(url);
        EXPECT_EQ(r.exitCode, 3) << url;
        EXPECT_EQ(r.err.rfind("kestrane-cli: " + url + ": " + reason, 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "address1: http://") << url;
    }
    const RunResult linked = RunCli(server.Url("/s/linked404"));
    EXPECT_EQ(linked.exitCode, 0);
    EXPECT_EQ(linked.err, "");
}

// Page text reaches the terminal as text: control characters in any value
// are escaped, so a result is exactly its seven lines and cannot retitle,
// clear or write to the clipboard through the terminal.
TEST(CliTest, PlainOutputEscapesControlCharacters) {
    PageServer server;
    server.SetPage("/s/evil", ";;_dlink=\"http://127.0.0.9/f\";if filename=a%0Aaddress1: forged%1B]52;c;ZXZpbA==%07"
                              "%0D%C2%9B2J.txt\\\" \\\"md5\\\":\\\"\n"
                              "share: x\naddress1: http://forged/\x1b]0;title\x07\x7f\\\"");
    const RunResult r = RunCli(server.Url("/s/evil"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7) << r.out;
    for (const char bad : {'\x1b', '\x07', '\r', '\x7f'}) EXPECT_EQ(r.out.find(bad), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\xC2\x9B"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("md5: \\nshare: x\\naddress1: http://forged/\\x1b]0;title\\x07\\x7f\n"), std::string::npos)
        << r.out;
    // JSON keeps its own escaping: the values come back whole.
    const auto object = nlohmann::json::parse(RunCli("--json " + server.Url("/s/evil")).out);
    EXPECT_EQ(object.at("md5"), "\nshare: x\naddress1: http://forged/\x1b]0;title\x07\x7f");
}

TEST(TerminalSafeTest, Table) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain 中文 text", "plain 中文 text"},
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {"\x1b]0;t\x07", "\\x1b]0;t\\x07"},
        {std::string("nul\0", 4), "nul\\x00"},
        {"del\x7f", "del\\x7f"},
        {"csi\xC2\x9B" "2J", "csi\\u009b2J"},
        {"nel\xC2\x85", "nel\\u0085"},
        {"nbsp\xC2\xA0", "nbsp\xC2\xA0"},
        {"lone\x9B", "lone\\x9b"},
        {"cut\xE4\xB8", "cut\\xe4\\xb8"},
        {"evil\xE2\x80\xAEtxt.exe", "evil\\u202etxt.exe"},  // right-to-left override
        {"iso\xE2\x81\xA6x\xE2\x81\xA9", "iso\\u2066x\\u2069"},
        {"zwj\xE2\x80\x8D", "zwj\xE2\x80\x8D"},  // joiners stay: emoji and scripts need them
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(TerminalSafe(in), want) << want;
}

// Addresses as people paste them: the address is taken out of the text
// around it; an extraction code beside it is found so it can be mentioned.
TEST(PastedAddressTest, Table) {
    struct Case {
        std::string text;
        std::string address;
        std::string code;
        std::string problem;
    } cases[] = {
        {"https://pan.example/s/1abc", "https://pan.example/s/1abc", "", ""},
        {"链接: https://pan.example/s/1abc 提取码: abcd", "https://pan.example/s/1abc", "abcd", ""},
        {"链接：https://pan.example/s/1abc，提取码：x1Y2", "https://pan.example/s/1abc", "x1Y2", ""},
        {"<https://pan.example/s/1abc>", "https://pan.example/s/1abc", "", ""},
        {"(see https://pan.example/s/1abc)", "https://pan.example/s/1abc", "", ""},
        {"https://pan.example/wiki/A_(b)", "https://pan.example/wiki/A_(b)", "", ""},
        {"go to HTTP://pan.example/s/1abc.", "HTTP://pan.example/s/1abc", "", ""},
        {"\"https://pan.example/s/1?pwd=abcd\" 密码 wxyz", "https://pan.example/s/1?pwd=abcd", "wxyz", ""},
        {"https://pan.example/s/1abc。", "https://pan.example/s/1abc", "", ""},
        {"https://pan.example/s/1abc\t提取码 abcd", "https://pan.example/s/1abc", "abcd", ""},
        {"提取码: abcdef https://pan.example/s/1", "https://pan.example/s/1", "", ""},
        {"pan.example/s/1abc", "", "", "no http or https address in it"},
        {"http:// and nothing", "", "", "no http or https address in it"},
        {"http://127.0.0.1/\x01x", "", "", "holds a control character"},
        {"http://127.0.0.1/s/1\xC2\x85x", "", "", "holds a control character"},  // C1: U+0085
        {"http://127.0.0.1/s/1\xC2\x9B", "", "", "holds a control character"},   // C1: U+009B
        {"http://127.0.0.1/\xFF", "", "", "not valid UTF-8"},
    };
    for (const Case& c : cases) {
        const PastedAddress p = ExtractShareAddress(c.text);
        EXPECT_EQ(p.address, c.address) << c.text;
        EXPECT_EQ(p.extractionCode, c.code) << c.text;
        EXPECT_EQ(p.problem, c.problem) << c.text;
    }
}

TEST(CliTest, TakesTheAddressOutOfPastedText) {
    PageServer server;
    server.SetPage("/s/1", R"(x;;_dlink="http://127.0.0.9/file?a=1";if y)");
    const RunResult r = RunCli("--json -", "链接: " + server.Url("/s/1") + " 提取码: abcd\n<" + server.Url("/s/1") +
                                               ">\n分享的文件\n");
    EXPECT_EQ(r.exitCode, 1);
    std::istringstream lines(r.out);
    int objects = 0;
    for (std::string line; std::getline(lines, line); ++objects) {
        const auto object = nlohmann::json::parse(line);
        EXPECT_EQ(object.at("share"), server.Url("/s/1"));
        EXPECT_EQ(object.at("address1"), "http://127.0.0.9/file?a=1");
    }
    EXPECT_EQ(objects, 2);
    EXPECT_EQ(r.err, "kestrane-cli: " + server.Url("/s/1") +
                         ": extraction code \"abcd\" ignored: extraction codes are not supported\n"
                         "kestrane-cli: 分享的文件: skipped: no http or https address in it\n");
    EXPECT_EQ(server.Server().Requests().size(), 2u);
}

}  // namespace
}  // namespace kestrane
