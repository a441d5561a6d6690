// kestrane-cli end to end: the real binary against a loopback share page.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "support/cli_runner.h"
#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using loopback::PageServer;

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

TEST(CliTest, ShowsTheFileDetailsInUtf8) {
    PageServer server;
    server.SetPage("/s/2", R"(filename=%E4%B8%AD%E6%96%87.txt\", \"size\":\"1048576\", )"
                           R"(\"md5\":\"0123456789abcdef0123456789abcdef\")");
    const RunResult r = RunCli("--json " + server.Url("/s/2"));
    ASSERT_EQ(r.exitCode, 0);
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
    // Started here and stopped by its pid, never by its name.
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execl(KESTRANE_DEMO_SITE_PATH, KESTRANE_DEMO_SITE_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    FILE* site = ::fdopen(out[0], "r");
    ASSERT_NE(site, nullptr);
    char line[256] = {};
    const bool gotLine = fgets(line, sizeof line, site) != nullptr;
    std::string share = line;
    if (!share.empty()) share.pop_back();
    const RunResult r = gotLine ? RunCli("--json " + share) : RunResult{};
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    std::fclose(site);
    ASSERT_TRUE(gotLine);
    ASSERT_EQ(r.exitCode, 0);
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
    for (const char* args : {"--bogus http://127.0.0.1/", "--json --aria2 http://127.0.0.1/"}) {
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("usage: kestrane-cli"), std::string::npos) << args;
    }
    const RunResult help = RunCli("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"--json", "--aria2", "aria2c -i", "JSON Lines", "share: "}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
}

TEST(CliTest, AHostileTenMegabytePageStillEndsWithAParse) {
    PageServer server;
    server.SetPage("/hostile", R"(;;_dlink=")" + std::string(10 << 20, 'a'));
    const RunResult r = RunCli("--json " + server.Url("/hostile"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(nlohmann::json::accept(r.out));
}

}  // namespace
}  // namespace kestrane
