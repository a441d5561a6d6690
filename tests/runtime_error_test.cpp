#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/code_page.h"

namespace kestrane {
namespace {

TEST(RuntimeErrorTest, TheReportTextByteForByte) {
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorTitle()), "错误");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorText(7, Text::FromUtf8("某个检查"))),
              "运行时出错!\r\n\r\n错误代码：7\r\n\r\n错误信息：某个检查\r\n");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorText(std::nullopt, Text::FromUtf8("载入启动窗口失败"))),
              "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorText(1, Text())), "运行时出错!\r\n\r\n错误代码：1\r\n\r\n");
}

TEST(RuntimeErrorDeathTest, StopsWithMinusOneWithoutTheExitStep) {
    EXPECT_EXIT(
        {
            RegisterExitStep([] { std::fputs("exit step ran", stderr); });
            StopWithRuntimeError(std::nullopt, Text::FromUtf8("载入启动窗口失败"));
        },
        ::testing::ExitedWithCode(255), "^错误\n运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n$");
}

TEST(RuntimeErrorTest, ExitStepsRunLastFirstAndOnce) {
    std::string order;
    RegisterExitStep([&] { order += "a"; });
    RegisterExitStep([&] { order += "b"; });
    RunExitSteps();
    RunExitSteps();
    EXPECT_EQ(order, "ba");
}

}  // namespace
}  // namespace kestrane
