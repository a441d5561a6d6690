// kestrane-cli handing downloads to a real aria2 (aria2c --enable-rpc) on
// loopback, with a demo-site parse.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/curl_session.h"
#include "support/cli_runner.h"

namespace kestrane {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSecret = "kestrane-test-secret";
constexpr const char* kDemoMd5 = "767dbc044c255a5f0ffb61acac8c6c59";
constexpr std::size_t kDemoSize = 1310720;

// A loopback port free at the time of asking.
int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd);
    return ntohs(addr.sin_port);
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// One JSON-RPC call: the answer, or a discarded value when none came.
nlohmann::json Call(const std::string& url, const std::string& method, nlohmann::json params) {
    params.insert(params.begin(), std::string("token:") + kSecret);
    const std::string body = nlohmann::json{{"jsonrpc", "2.0"}, {"id", "t"}, {"method", method}, {"params", params}}.dump();
    CurlEasy easy = MakeCurlEasy();
    std::string reply;
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &reply);
    if (curl_easy_perform(easy.get()) != CURLE_OK) return nlohmann::json::value_t::discarded;
    return nlohmann::json::parse(reply, nullptr, false);
}

class CliAria2Test : public ::testing::Test {
protected:
    void SetUp() override {
        // scripts/install-deps.sh installs it: a missing aria2c is a broken set-up, not a reason to skip.
        ASSERT_TRUE(std::filesystem::exists(KESTRANE_ARIA2C_PATH)) << KESTRANE_ARIA2C_PATH << " is missing (apt-get install aria2)";
        dir = std::filesystem::temp_directory_path() / ("kestrane-aria2-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const int port = FreePort();
        rpc = "http://127.0.0.1:" + std::to_string(port) + "/jsonrpc";
        aria2.emplace(std::vector<std::string>{
            KESTRANE_ARIA2C_PATH, "--no-conf", "--enable-rpc", "--rpc-listen-all=false",
            "--rpc-listen-port=" + std::to_string(port), std::string("--rpc-secret=") + kSecret,
            "--dir=" + dir.string(), "--allow-overwrite=true", "--auto-file-renaming=false", "--disable-ipv6",
            "--stop-with-process=" + std::to_string(getpid()), "--console-log-level=warn", "--summary-interval=0"});
        for (int i = 0; i < 250 && Call(rpc, "aria2.getVersion", nlohmann::json::array()).is_discarded(); ++i) {
            std::this_thread::sleep_for(20ms);
        }
        ASSERT_FALSE(Call(rpc, "aria2.getVersion", nlohmann::json::array()).is_discarded()) << aria2->Err();
        site.emplace(std::vector<std::string>{KESTRANE_DEMO_SITE_PATH});
        ASSERT_TRUE(site->ReadLine(share));
    }
    void TearDown() override {
        site.reset();
        aria2.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // The download's status once aria2 is done with it (bounded wait).
    nlohmann::json WaitUntilDone(const std::string& gid) {
        nlohmann::json status;
        for (int i = 0; i < 600; ++i) {
            status = Call(rpc, "aria2.tellStatus", {gid, {"status", "errorCode", "errorMessage", "completedLength"}});
            if (status.is_discarded() || !status.contains("result")) break;
            const std::string state = status["result"]["status"];
            if (state == "complete" || state == "error" || state == "removed") break;
            std::this_thread::sleep_for(50ms);
        }
        return status.is_discarded() ? status : status.value("result", nlohmann::json::object());
    }

    std::filesystem::path dir;
    std::string rpc;
    std::string share;
    std::optional<test::ChildProcess> aria2;
    std::optional<test::ChildProcess> site;
};

TEST_F(CliAria2Test, HandsTheParseToAria2WhichDownloadsAndVerifiesIt) {
    const test::CliRun r =
        test::RunCliBinary(KESTRANE_CLI_PATH, "--aria2-rpc " + rpc + " --aria2-secret " + kSecret +
                                                  " --header 'X-Kestrane-Test: yes' " + share);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The seven lines, then the GID.
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 8) << r.out;
    const auto gidAt = r.out.rfind("gid: ");
    ASSERT_NE(gidAt, std::string::npos) << r.out;
    const std::string gid = r.out.substr(gidAt + 5, r.out.size() - gidAt - 6);
    EXPECT_EQ(gid.size(), 16u) << gid;

    const nlohmann::json options = Call(rpc, "aria2.getOption", {gid}).value("result", nlohmann::json::object());
    EXPECT_EQ(options.value("checksum", ""), std::string("md5=") + kDemoMd5);
    EXPECT_EQ(options.value("out", ""), "演示文件.txt");
    EXPECT_NE(options.value("header", "").find("X-Kestrane-Test: yes"), std::string::npos) << options.dump();
    const nlohmann::json files = Call(rpc, "aria2.getFiles", {gid}).value("result", nlohmann::json::array());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0]["uris"].size(), 3u) << files.dump();  // every mirror of the parse

    const nlohmann::json done = WaitUntilDone(gid);
    EXPECT_EQ(done.value("status", ""), "complete") << done.dump();
    EXPECT_EQ(done.value("errorCode", ""), "0") << done.dump();
    EXPECT_EQ(std::filesystem::file_size(dir / "演示文件.txt"), kDemoSize);

    // aria2 checks the checksum it is given: the same mirrors with a wrong one fail.
    nlohmann::json uris = nlohmann::json::array();
    for (const auto& u : files[0]["uris"]) uris.push_back(u["uri"]);
    const nlohmann::json wrong =
        Call(rpc, "aria2.addUri", {uris, {{"out", "wrong.txt"}, {"checksum", "md5=00000000000000000000000000000000"}}});
    ASSERT_TRUE(wrong.contains("result")) << wrong.dump();
    const nlohmann::json failed = WaitUntilDone(wrong["result"]);
    EXPECT_EQ(failed.value("status", ""), "error") << failed.dump();
    EXPECT_EQ(failed.value("errorCode", ""), "32") << failed.dump();  // checksum validation failed
}

TEST_F(CliAria2Test, JsonCarriesTheGid) {
    const test::CliRun r = test::RunCliBinary(
        KESTRANE_CLI_PATH, "--json --aria2-rpc=" + rpc + " --aria2-secret=" + kSecret + " " + share + " " + share);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> gids;
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line);
        EXPECT_EQ(object.size(), 9u);  // share, the seven, gid
        gids.push_back(object.at("gid"));
    }
    ASSERT_EQ(gids.size(), 2u);
    EXPECT_NE(gids[0], gids[1]);
    for (const std::string& gid : gids) {
        EXPECT_TRUE(Call(rpc, "aria2.tellStatus", {gid, {"status"}}).contains("result")) << gid;
    }
}

// aria2 unreachable, or refusing: each address says so, the exit status is 4,
// and the parse is still printed.
TEST_F(CliAria2Test, FailedHandOffExitsWithFour) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(FreePort()) + "/jsonrpc";
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        {"--aria2-rpc " + closed + " " + share, "could not reach aria2 at " + closed + ": "},
        {"--aria2-rpc " + rpc + " --aria2-secret wrong " + share, "aria2 refused the download: Unauthorized"},
        {"--aria2-rpc " + rpc + " " + share, "aria2 refused the download: Unauthorized"},
    };
    for (const auto& c : cases) {
        const test::CliRun r = test::RunCliBinary(KESTRANE_CLI_PATH, c.args);
        EXPECT_EQ(r.exitCode, 4) << c.args;
        EXPECT_EQ(r.err.rfind("kestrane-cli: " + share + ": " + c.message, 0), 0u) << r.err;
        EXPECT_EQ(r.out.find("gid:"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.rfind("address1: http://127.0.0.1:", 0), 0u) << r.out;
    }
    // A page without a link is not handed over: no link (3), nothing to refuse.
    const test::CliRun none = test::RunCliBinary(KESTRANE_CLI_PATH, "--aria2-rpc " + closed + " http://127.0.0.1:1/");
    EXPECT_EQ(none.exitCode, 3);
}

}  // namespace
}  // namespace kestrane
