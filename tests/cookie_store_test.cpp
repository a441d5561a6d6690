#include "http/cookie_store.h"

#include <gtest/gtest.h>

#include <unistd.h>

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
    const std::unique_ptr<CookieStore> copy = s.Copy();
    s.SetCookie(Text("h"), Text("a"), Text("2"));
    EXPECT_EQ(copy->GetCookie(Text("h"), Text("a")), Text("1"));
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
    EXPECT_TRUE(s.LoadFromFile(dir.File("c.ini")));
    EXPECT_EQ(s.GetCookie(Text("h"), Text("a")), Text("1"));
    EXPECT_EQ(s.GetCookie(Text("h"), Text("b")), Text("2"));
    EXPECT_EQ(s.GetCookie(Text("h"), Text("c")), Text("x"));
    EXPECT_EQ(s.GetCookie(Text("g"), Text("e")), Text("5"));  // the last line needs no line feed
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

    WriteFile(file, "; kept\r\n[other]\r\nx=9\r\n\r\n[H]\r\nA=old\r\nforeign=1\r\n\r\n[tail]\r\ny=8");
    s.SetCookie(Text("h"), Text("a"), Text("2"));
    s.SetCookie(Text("new.host"), Text("n"), Text("v"));
    EXPECT_TRUE(s.SaveToFile(file));
    EXPECT_EQ(ReadFile(file),
              "; kept\r\n[other]\r\nx=9\r\n\r\n[H]\r\na=2\r\nforeign=1\r\nb=\r\n\r\n[tail]\r\ny=8\r\n"
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
    // The new file is written beside the old one first; make that impossible
    // (a directory stands where it would go; this stops root too).
    fs::create_directory(file.Str() + ".kestrane-tmp");
    CookieStore s;
    s.SetCookie(Text("h"), Text("a"), Text("2"));
    EXPECT_FALSE(s.SaveToFile(file));
    EXPECT_EQ(ReadFile(file), "[h]\r\na=1\r\n");
}

}  // namespace
}  // namespace kestrane
