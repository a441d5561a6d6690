// The mirror stage end to end: a share page on loopback whose link redirects
// across loopback hosts.

#include <gtest/gtest.h>

#include "app/parse_command.h"
#include "loopback/loopback_server.h"
#include "support/recording_window.h"

namespace kestrane {
namespace {

using enum Control;
using loopback::HttpReply;
using loopback::PageServer;
using test::RecordingWindow;
using loopback::Redirect;
using test::WindowWrite;

std::string Page(const std::string& link) { return "<script>;;_dlink=\"" + link + "\";if(1)</script>"; }

RecordingWindow ParseOf(const std::string& shareUrl) {
    RecordingWindow window;
    window.SetText(编辑框_百度, Text(shareUrl));
    window.ForgetWrites();
    OnParseClicked(window);
    return window;
}

TEST(MirrorStageTest, TwoRedirectsFillAddressesTwoAndThree) {
    PageServer share("127.0.0.41");
    PageServer second("127.0.0.42", 80);
    PageServer third("127.0.0.43");
    share.SetPage("/s/1", Page(share.Url("/file?a=1")));
    share.Set("/file?a=1", Redirect("http://127.0.0.42/hop?b=2"));
    second.Set("/hop?b=2", Redirect(third.Url("/final")));

    RecordingWindow window = ParseOf(share.Url("/s/1"));

    EXPECT_EQ(window.GetText(编辑框_下载地址), Text(share.Url("/file?a=1")));
    EXPECT_EQ(window.GetText(编辑框_下载地址2), Text("http://127.0.0.42/hop?b=2"));
    EXPECT_EQ(window.GetText(编辑框_下载地址3), Text(third.Url("/final")));
    // Address 2, then address 3, then the details.
    const auto& w = window.Writes();
    EXPECT_EQ(w[8], (WindowWrite{编辑框_下载地址2, "http://127.0.0.42/hop?b=2"}));
    EXPECT_EQ(w[9], (WindowWrite{编辑框_下载地址3, third.Url("/final")}));
    EXPECT_EQ(w[10].control, 标签_文件名);
    // The second host was asked twice: the status probe, then the redirect probe.
    EXPECT_EQ(second.Server().Requests().size(), 2u);
}

TEST(MirrorStageTest, ABadRequestHostLeavesAddressThreeEmpty) {
    PageServer share("127.0.0.44");
    PageServer second("127.0.0.45", 80);
    share.SetPage("/s/1", Page(share.Url("/file")));
    share.Set("/file", Redirect("http://127.0.0.45/hop"));
    second.Set("/hop", HttpReply(400, "Bad Request", ""));

    RecordingWindow window = ParseOf(share.Url("/s/1"));

    EXPECT_EQ(window.GetText(编辑框_下载地址2), Text("http://127.0.0.45/hop"));
    EXPECT_EQ(window.GetText(编辑框_下载地址3), Text());
    for (const WindowWrite& w : window.Writes()) {
        if (w.control == 编辑框_下载地址3) {
            EXPECT_EQ(w.utf8, "") << "only the clearing writes address 3";
        }
    }
    EXPECT_EQ(second.Server().Requests().size(), 1u);
}

TEST(MirrorStageTest, RelativeLocationsAreShownUnchanged) {
    PageServer share("127.0.0.46");
    share.SetPage("/s/1", Page(share.Url("/file")));
    // A relative reference that, with "http://" put in front for its own probe,
    // names a loopback address where nobody listens (and needs no name lookup).
    share.Set("/file", Redirect("127.0.0.48/next/part?x=1"));

    RecordingWindow window = ParseOf(share.Url("/s/1"));

    EXPECT_EQ(window.GetText(编辑框_下载地址2), Text("127.0.0.48/next/part?x=1"));
    EXPECT_EQ(window.GetText(编辑框_下载地址3), Text());
}

TEST(MirrorStageTest, APageWithoutALinkShowsTheBareScheme) {
    PageServer share("127.0.0.47");
    share.SetPage("/s/1", "<html>no link here</html>");
    RecordingWindow window = ParseOf(share.Url("/s/1"));
    EXPECT_EQ(window.GetText(编辑框_下载地址), Text("http://"));
    EXPECT_EQ(window.GetText(编辑框_下载地址2), Text());
    EXPECT_EQ(window.GetText(编辑框_下载地址3), Text());
    EXPECT_EQ(window.GetCaption(标签_大小), Text("0B"));

    RecordingWindow empty = ParseOf("");
    EXPECT_EQ(empty.GetText(编辑框_下载地址), Text("http://"));
}

}  // namespace
}  // namespace kestrane
