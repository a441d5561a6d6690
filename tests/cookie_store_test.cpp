#include "http/cookie_store.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrane {
namespace {

namespace fs = std::filesystem;

const Text kIdeographicSpace("\xA1\xA1");

class TempDir {
public:
    TempDir() : m_path(fs::temp_directory_path() / ("kestrane-" + std::to_string(::getpid()) + "-" + std::to_string(s_next++))) {
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    Text File(const std::string& name) const { return Text((m_path / name).string()); }

private:
    static inline int s_next = 0;
    fs::path m_path;
};

std::string ReadFile(const Text& path) {
    std::ifstream in(path.Str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const Text& path, const std::string& content) { std::ofstream(path.Str(), std::ios::binary) << content; }

TEST(CookieStoreTest, SetAndGet) {
    CookieStore s;
    EXPECT_FALSE(s.SetCookie(Text("h"), Text("   "), Text("v")));
    EXPECT_FALSE(s.SetCookie(kIdeographicSpace, Text("n"), Text("v")));
    EXPECT_TRUE(s.SetCookie(Text("h"), Text("\t"), Text("tab")));  // tabs are not spaces
    EXPECT_TRUE(s.SetCookie(Text("h"), Text("n"), Text("1")));
    EXPECT_TRUE(s.SetCookie(Text("h"), Text("n"), Text(" 2 ")));
    EXPECT_EQ(s.CookieCount(Text(), false), 2);
    EXPECT_EQ(s.GetCookie(Text("h"), Text("n")), Text(" 2 "));
    EXPECT_EQ(s.GetCookie(Text(" "), Text("n")), Text());

    EXPECT_TRUE(s.SetCookie(Text("HostA"), Text("x"), Text("1")));
    EXPECT_TRUE(s.SetCookie(Text("hosta"), Text("x"), Text("2")));
    EXPECT_EQ(s.HostCount(), 3);
    EXPECT_EQ(s.GetCookie(Text("HOSTA"), Text("x")), Text());
    EXPECT_EQ(s.CookieCount(Text("HostA"), true), 1);
    EXPECT_EQ(s.CookieCount(Text("ignored"), false), 4);
    EXPECT_EQ(s.CookieCount(Text(" "), true), 0);
}

TEST(CookieStoreTest, DeleteClearAndTheHostList) {
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("1"));
    s.SetCookie(Text("g"), Text("b"), Text("2"));
    EXPECT_FALSE(s.DeleteCookies(Text(" "), Text("a"), true));
    EXPECT_TRUE(s.DeleteCookies(Text("h"), Text("a"), true));
    EXPECT_EQ(s.HostCount(), 2);  // the host stays listed
    s.SetCookie(Text("h"), Text("a"), Text("3"));
    std::vector<Text> hosts{Text("junk")};
    EXPECT_EQ(s.GetHosts(hosts), 3);
    EXPECT_EQ(hosts, (std::vector<Text>{Text("h"), Text("g"), Text("h")}));

    EXPECT_TRUE(s.DeleteCookies(Text("h"), Text(), false));
    EXPECT_EQ(s.GetHosts(hosts), 1);
    EXPECT_TRUE(s.DeleteCookies(Text("nobody"), Text(), false));

    s.ClearCookies();
    EXPECT_EQ(s.CookieCount(Text(), false), 0);
    EXPECT_EQ(s.HostCount(), 1);
    std::vector<Text> names{Text("junk")};
    EXPECT_EQ(s.GetCookieNames(Text("g"), names), 0);
    EXPECT_TRUE(names.empty());
}

TEST(CookieStoreTest, CopiesAreIndependent) {
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("1"));
    CookieStore copy = s;
    s.SetCookie(Text("h"), Text("a"), Text("2"));
    EXPECT_EQ(copy.GetCookie(Text("h"), Text("a")), Text("1"));
    copy = s;
    EXPECT_EQ(copy.GetCookie(Text("h"), Text("a")), Text("2"));
}

TEST(CookieStoreTest, LoadFromTextFollowsTheLineRules) {
    CookieStore s;
    EXPECT_TRUE(s.LoadFromText(Text("[h]\r\na=1\r\nb = 2\r\n[x\r\nc=3")));
    EXPECT_EQ(s.Entries(), (std::vector<CookieEntry>{{Text("h"), Text("a"), Text("1")}, {Text("h"), Text("b "), Text(" 2")}}));

    CookieStore t;
    EXPECT_TRUE(t.LoadFromText(Text("k=before\r\n[s]\r\na=b=c\r\n=v\r\nk=\r\n  [ t ]  \r\nz=1\nz=2\r\n\r\n[s]\r\nk=again")));
    EXPECT_EQ(t.GetCookie(Text("s"), Text("a")), Text("b=c"));
    EXPECT_EQ(t.GetCookie(Text("s"), Text("k")), Text("again"));  // a later pair replaces
    EXPECT_EQ(t.GetCookie(Text(" t "), Text("z")), Text("1\nz=2"));  // a lone LF stays in the line
    EXPECT_EQ(t.CookieCount(Text(), false), 3);

    CookieStore u;
    EXPECT_FALSE(u.LoadFromText(Text()));
    EXPECT_TRUE(u.LoadFromText(Text("[h]\r\nno pairs here")));
    EXPECT_EQ(u.CookieCount(Text(), false), 0);
}

TEST(CookieStoreTest, LoadFromFile) {
    TempDir dir;
    CookieStore s;
    EXPECT_FALSE(s.LoadFromFile(dir.File("missing.ini")));
    WriteFile(dir.File("empty.ini"), "");
    EXPECT_TRUE(s.LoadFromFile(dir.File("empty.ini")));
    EXPECT_EQ(s.CookieCount(Text(), false), 0);
    const char raw[] = "[h]\r\na=1\nb=2\r\nc=x\0y\r\n[g]\r\nd=\x1A" "z\ne=5";
    WriteFile(dir.File("c.ini"), std::string(raw, sizeof raw - 1));
    std::vector<Text> names;
    EXPECT_TRUE(s.LoadFromFile(dir.File("c.ini")));
    EXPECT_EQ(s.GetCookie(Text("h"), Text("a")), Text("1"));
    EXPECT_EQ(s.GetCookie(Text("h"), Text("b")), Text("2"));
    EXPECT_EQ(s.GetCookie(Text("h"), Text("c")), Text("x"));
    EXPECT_EQ(s.GetCookie(Text("g"), Text("e")), Text("5"));  // the last line needs no line feed
    // The 0x1A byte ends its line: "d=" gives d an empty value, and "z" after it is no cookie.
    EXPECT_EQ(s.GetCookieNames(Text("g"), names), 2);
    EXPECT_EQ(names, (std::vector<Text>{Text("d"), Text("e")}));
    EXPECT_EQ(s.GetCookie(Text("g"), Text("d")), Text());
}

TEST(CookieStoreTest, SaveToFileUpdatesInPlace) {
    TempDir dir;
    const Text file = dir.File("cookies.ini");
    CookieStore s;
    EXPECT_FALSE(s.SaveToFile(Text("  ")));
    EXPECT_TRUE(s.SaveToFile(file));
    EXPECT_FALSE(fs::exists(file.Str()));  // an empty store creates no file

    s.SetCookie(Text("h"), Text("a"), Text("1"));
    s.SetCookie(Text("h"), Text("b"), Text());
    EXPECT_TRUE(s.SaveToFile(file));
    EXPECT_EQ(ReadFile(file), "[h]\r\na=1\r\nb=\r\n");

    WriteFile(file, "; kept\r\n[other]\r\nx=9\r\n\r\n[ h ]\r\nA=old\r\nforeign=1\r\n\r\n[tail]\r\ny=8");
    s.SetCookie(Text("h"), Text("a"), Text("2"));
    s.SetCookie(Text("new.host"), Text("n"), Text("v"));
    EXPECT_TRUE(s.SaveToFile(file));
    EXPECT_EQ(ReadFile(file),
              "; kept\r\n[other]\r\nx=9\r\n\r\n[ h ]\r\na=2\r\nforeign=1\r\nb=\r\n\r\n[tail]\r\ny=8\r\n"
              "[new.host]\r\nn=v\r\n");
}

TEST(CookieStoreTest, SaveThenLoadGivesTheSameCookies) {
    TempDir dir;
    const Text file = dir.File("round.ini");
    CookieStore s;
    s.SetCookie(Text("a.example"), Text("sid"), Text("x-1"));
    s.SetCookie(Text("b.example"), Text("k"), Text("2"));
    s.SetCookie(Text("a.example"), Text("lang"), Text("zh"));
    s.SetCookie(Text("\xD6\xD0.example"), Text("name"), Text("\xCE\xC4"));  // GBK bytes go through unconverted
    ASSERT_TRUE(s.SaveToFile(file));
    CookieStore back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.Entries(), (std::vector<CookieEntry>{{Text("a.example"), Text("sid"), Text("x-1")},
                                                        {Text("a.example"), Text("lang"), Text("zh")},
                                                        {Text("b.example"), Text("k"), Text("2")},
                                                        {Text("\xD6\xD0.example"), Text("name"), Text("\xCE\xC4")}}));
}

TEST(CookieStoreTest, LineBreaksNeverReachTheFile) {
    TempDir dir;
    const Text file = dir.File("safe.ini");
    CookieStore s;
    s.SetCookie(Text("h"), Text("good"), Text("1"));
    s.SetCookie(Text("h"), Text("evil"), Text("x\r\n[h]\r\ngood=forged"));
    s.SetCookie(Text("h"), Text("[section"), Text("1"));
    s.SetCookie(Text("h\nx"), Text("n"), Text("1"));
    EXPECT_FALSE(s.SaveToFile(file));  // not every cookie could be written
    EXPECT_EQ(s.CookieCount(Text(), false), 4);  // the store keeps them all
    CookieStore back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.Entries(), (std::vector<CookieEntry>{{Text("h"), Text("good"), Text("1")}}));
}

TEST(CookieStoreTest, AFailedSaveLeavesTheOldFileWhole) {
    TempDir dir;
    const Text file = dir.File("keep.ini");
    WriteFile(file, "[h]\r\na=1\r\n");
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text(std::string(4096, 'x')));
    // Writes past 1 KiB fail (EFBIG, for root too); the new content cannot go out.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = s.SaveToFile(file);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(file), "[h]\r\na=1\r\n");
    for (const auto& entry : fs::directory_iterator(dir.File("").Str())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "keep.ini" || name == "keep.ini.kestrane-lock") << name;  // no temporary file left
    }
}

TEST(CookieStoreTest, APlantedSymlinkIsNeverWrittenThrough) {
    TempDir dir;
    const Text file = dir.File("c.ini");
    const Text victim = dir.File("victim");
    WriteFile(victim, "precious");
    // The name the save used for its temporary file until now, and a directory there too.
    fs::create_symlink(victim.Str(), file.Str() + ".kestrane-tmp");
    fs::create_symlink(victim.Str(), file.Str() + ".tmp");
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("1"));
    EXPECT_TRUE(s.SaveToFile(file));
    EXPECT_EQ(ReadFile(victim), "precious");
    EXPECT_EQ(ReadFile(file), "[h]\r\na=1\r\n");
    EXPECT_FALSE(fs::is_symlink(file.Str()));
}

// A cookie file that the user keeps behind a symbolic link stays there.
TEST(CookieStoreTest, ASaveThroughTheUsersLinkUpdatesItsTarget) {
    TempDir dir;
    const Text real = dir.File("real.ini");
    const Text link = dir.File("c.ini");
    WriteFile(real, "[x]\r\ny=1\r\n");
    fs::create_symlink(real.Str(), link.Str());
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("1"));
    EXPECT_TRUE(s.SaveToFile(link));
    EXPECT_TRUE(fs::is_symlink(link.Str()));
    EXPECT_EQ(ReadFile(real), "[x]\r\ny=1\r\n[h]\r\na=1\r\n");
}

TEST(CookieStoreTest, ASaveKeepsPermissionBitsAndMakesNewFilesPrivate) {
    TempDir dir;
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("1"));
    const Text fresh = dir.File("new.ini");
    ASSERT_TRUE(s.SaveToFile(fresh));
    EXPECT_EQ(fs::status(fresh.Str()).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const Text shared = dir.File("shared.ini");
    WriteFile(shared, "[x]\r\ny=1\r\n");
    const fs::perms chosen = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(shared.Str(), chosen);
    ASSERT_TRUE(s.SaveToFile(shared));
    EXPECT_EQ(fs::status(shared.Str()).permissions(), chosen);
}

TEST(CookieStoreTest, ADirectoryIsNoCookieFile) {
    TempDir dir;
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("1"));
    EXPECT_FALSE(s.SaveToFile(dir.File("")));
    EXPECT_FALSE(s.SaveToFile(dir.File(".")));
    CookieStore t;
    EXPECT_FALSE(t.LoadFromFile(dir.File("")));
    EXPECT_EQ(t.CookieCount(Text(), false), 0);
}

// Every cookie in the table would come back from the file changed, or under
// another host or name: the save says false, and the good cookie beside it is
// written alone.
TEST(CookieStoreTest, CookiesThatWouldNotReadBackAreRefused) {
    struct Case {
        const char* why;
        CookieEntry first;
        CookieEntry second;
    } cases[] = {
        {"names differing in case", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text("SID"), Text("2")}},
        {"names differing in blanks", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text("sid\t"), Text("2")}},
        {"hosts differing in case", {Text("h"), Text("sid"), Text("1")}, {Text("H"), Text("other"), Text("2")}},
        {"a host holding ]", {Text("h"), Text("sid"), Text("1")}, {Text("a]b"), Text("n"), Text("2")}},
        {"a host holding a line feed", {Text("h"), Text("sid"), Text("1")}, {Text("a\nb"), Text("n"), Text("2")}},
        {"a value holding 0x1A", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text("n"), Text("a\x1A" "b")}},
        {"a name holding =", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text("a=b"), Text("2")}},
        {"a name beginning with a space", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text(" n"), Text("2")}},
        {"a value ending in a space", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text("n"), Text("2 ")}},
        {"a value ending in an ideographic space", {Text("h"), Text("sid"), Text("1")}, {Text("h"), Text("n"), Text("2\xA1\xA1")}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const Text file = dir.File("c.ini");
        CookieStore s;
        ASSERT_TRUE(s.SetCookie(c.first.host, c.first.name, c.first.value)) << c.why;
        ASSERT_TRUE(s.SetCookie(c.second.host, c.second.name, c.second.value)) << c.why;
        EXPECT_FALSE(s.SaveToFile(file)) << c.why;
        CookieStore back;
        ASSERT_TRUE(back.LoadFromFile(file)) << c.why;
        EXPECT_EQ(back.Entries(), std::vector<CookieEntry>{c.first}) << c.why;
    }
}

// The file may already spell a host otherwise; a save must not file the
// store's cookies under that spelling and call it done.
TEST(CookieStoreTest, AHostTheFileSpellsOtherwiseIsRefused) {
    TempDir dir;
    const Text file = dir.File("c.ini");
    std::ofstream(file.Str(), std::ios::binary) << "[Example.com]\r\nold=1\r\n";
    CookieStore s;
    ASSERT_TRUE(s.SetCookie(Text("example.com"), Text("sid"), Text("2")));
    EXPECT_FALSE(s.SaveToFile(file));
    CookieStore back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.Entries(), (std::vector<CookieEntry>{{Text("Example.com"), Text("old"), Text("1")}}));
}

TEST(CookieStoreTest, TheStoreCapsCookiesPerHostAndInAll) {
    CookieStore s;
    for (int i = 0; i < kMaxCookiesPerHost; ++i) ASSERT_TRUE(s.SetCookie(Text("h"), Text("n" + std::to_string(i)), Text("v")));
    EXPECT_FALSE(s.SetCookie(Text("h"), Text("one-more"), Text("v")));
    EXPECT_TRUE(s.SetCookie(Text("h"), Text("n0"), Text("changed")));  // a value can still change
    EXPECT_EQ(s.GetCookie(Text("h"), Text("n0")), Text("changed"));
    EXPECT_EQ(s.CookieCount(Text("h"), true), kMaxCookiesPerHost);
    EXPECT_TRUE(s.DeleteCookies(Text("h"), Text("n1"), true));
    EXPECT_TRUE(s.SetCookie(Text("h"), Text("one-more"), Text("v")));  // room again

    for (int i = 0; s.CookieCount(Text(), false) < kMaxCookies; ++i) {
        ASSERT_TRUE(s.SetCookie(Text("host" + std::to_string(i / 500)), Text("n" + std::to_string(i)), Text("v")));
    }
    EXPECT_FALSE(s.SetCookie(Text("fresh.host"), Text("n"), Text("v")));
    EXPECT_EQ(s.CookieCount(Text(), false), kMaxCookies);
}

// Savers in threads and in processes share one file. Each save reports true
// only with its cookies in the file, and a reader never finds the file empty
// or cut short.
TEST(CookieStoreTest, ConcurrentSavesNeverLoseCookies) {
    TempDir dir;
    const Text file = dir.File("shared.ini");
    constexpr int kSavers = 4, kRounds = 15;
    const auto saver = [&](const std::string& who) {
        CookieStore s;
        for (int round = 0; round < kRounds; ++round) {
            s.SetCookie(Text(who), Text("n" + std::to_string(round)), Text("v"));
            if (!s.SaveToFile(file)) return false;
        }
        return true;
    };
    // Processes first, while this one has no other thread.
    std::vector<pid_t> children;
    for (int p = 0; p < kSavers; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) ::_exit(saver("process" + std::to_string(p)) ? 0 : 1);
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::atomic<bool> done{false};
    std::atomic<int> badReads{0};
    std::thread reader([&] {
        while (!done) {
            const std::string content = ReadFile(file);
            if (content.empty() || !content.ends_with("\r\n")) ++badReads;
        }
    });
    std::vector<std::thread> threads;
    std::atomic<int> failed{0};
    for (int t = 0; t < kSavers; ++t) {
        threads.emplace_back([&, t] { failed += saver("thread" + std::to_string(t)) ? 0 : 1; });
    }
    for (std::thread& t : threads) t.join();
    done = true;
    reader.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(badReads, 0);

    CookieStore back;
    ASSERT_TRUE(back.LoadFromFile(file));
    for (const char* kind : {"process", "thread"}) {
        for (int who = 0; who < kSavers; ++who) {
            EXPECT_EQ(back.CookieCount(Text(kind + std::to_string(who)), true), kRounds) << kind << who;
        }
    }
}

}  // namespace
}  // namespace kestrane
