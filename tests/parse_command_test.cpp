#include "app/parse_command.h"

#include <gtest/gtest.h>

#include "loopback/loopback_server.h"
#include "support/recording_window.h"

namespace kestrane {
namespace {

using enum Control;
using loopback::PageServer;
using test::RecordingWindow;
using test::WindowWrite;

const std::vector<WindowWrite> kClearings = {
    {标签_大小, ""},         {标签_MD5, ""},         {标签_拓展名, ""},        {标签_文件名, ""},
    {编辑框_下载地址, ""},   {编辑框_下载地址3, ""}, {编辑框_下载地址2, ""}, {按钮1, "解析中..."},
};

TEST(OnParseClickedTest, UncheckedRadioClearsAndRestoresWithoutFetching) {
    PageServer server;
    server.SetPage("/s", R"(;;_dlink="http://x/";if)");
    RecordingWindow window;
    window.SetChecked(单选框_百度网盘, 0);
    window.SetText(编辑框_下载地址2, Text("old"));
    window.SetText(编辑框_百度, Text(server.Url("/s")));
    window.ForgetWrites();

    OnParseClicked(window);

    std::vector<WindowWrite> want = kClearings;
    want.push_back({按钮1, "解析"});
    want.push_back({编辑框_百度, ""});
    EXPECT_EQ(window.Writes(), want);
    EXPECT_TRUE(server.Server().Requests().empty());
}

TEST(OnParseClickedTest, ParseWritesInOrderAndEmptiesTheInput) {
    PageServer server;
    server.SetPage("/s/1abc", R"(<script>;;_dlink="http://127.0.0.9/file?a=1";if(x)</script>)");
    RecordingWindow window;
    window.SetText(编辑框_下载地址, Text("from before"));
    window.SetText(编辑框_百度, Text(server.Url("/s/1abc")));
    window.ForgetWrites();

    OnParseClicked(window);

    const auto& writes = window.Writes();
    ASSERT_GE(writes.size(), kClearings.size() + 3);
    EXPECT_EQ(std::vector<WindowWrite>(writes.begin(), writes.begin() + 8), kClearings);
    const std::vector<WindowWrite> tail(writes.end() - 3, writes.end());
    EXPECT_EQ(tail, (std::vector<WindowWrite>{
                        {编辑框_下载地址, "http://127.0.0.9/file?a=1"}, {按钮1, "解析"}, {编辑框_百度, ""}}));
    EXPECT_EQ(server.Server().Requests().size(), 1u);
}

TEST(OnParseClickedTest, AFullPageFillsEveryOutputInOrder) {
    PageServer server;
    server.SetPage("/s/full", "<script>var a={\\\"path\\\":\\\"/x/filename=%E4%B8%AD%E6%96%87.txt\\\"};"
                              "b={\\\"size\\\":\\\"1048576\\\",\\\"md5\\\":\\\"0123456789abcdef0123456789abcdef\\\"};"
                              ";;_dlink=\"http://127.0.0.9/file?a=1\";if(x)</script>");
    RecordingWindow window;
    window.SetText(编辑框_百度, Text(server.Url("/s/full")));
    window.ForgetWrites();

    OnParseClicked(window);

    std::vector<WindowWrite> want = kClearings;
    const std::vector<WindowWrite> rest = {
        {标签_文件名, "中文.txt"},
        {标签_拓展名, "文本文档   (txt)"},
        {标签_大小, "1MB"},
        {标签_MD5, "0123456789abcdef0123456789abcdef"},
        {编辑框_下载地址, "http://127.0.0.9/file?a=1"},
        {按钮1, "解析"},
        {编辑框_百度, ""},
    };
    // The mirror stage writes between the clearings and the details; look at what follows it.
    const auto& writes = window.Writes();
    ASSERT_GE(writes.size(), want.size() + rest.size());
    EXPECT_EQ(std::vector<WindowWrite>(writes.begin(), writes.begin() + 8), want);
    EXPECT_EQ(std::vector<WindowWrite>(writes.end() - 7, writes.end()), rest);
}

}  // namespace
}  // namespace kestrane
