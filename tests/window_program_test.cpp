// The window program's own options: answered without a display, before Qt
// would try to open the window.

#include <gtest/gtest.h>

#include <string>

#include "kestrane/version.h"
#include "support/cli_runner.h"

namespace kestrane {
namespace {

// With no usable platform plugin, opening the window would fail with 255.
const std::string kNoWindowSystem = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-platform " KESTRANE_WINDOW_PATH;

TEST(WindowProgramOptionsTest, VersionAndHelpPrintAndExitWithoutAWindow) {
    const std::string version = std::string("kestrane ") + kVersion + "\n";
    const struct {
        const char* args;
        std::string startOfOutput;
    } cases[] = {
        {"--version", version},
        {"--help", "Usage: kestrane"},
        {"-h", "Usage: kestrane"},
        {"-platform offscreen --version", version},
        {"--version --help", "Usage: kestrane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const test::CliRun r = test::RunCliBinary(kNoWindowSystem, c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.substr(0, c.startOfOutput.size()), c.startOfOutput);
        EXPECT_EQ(r.err, "");
    }
}

TEST(WindowProgramOptionsTest, HelpNamesEveryOption) {
    const test::CliRun r = test::RunCliBinary(kNoWindowSystem, "--help");
    for (const char* option : {"--version", "--help", "-h"}) EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace kestrane
