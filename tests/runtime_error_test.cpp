#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/code_page.h"

namespace kestrane {
namespace {

TEST(RuntimeErrorTest, TheReportTextByteForByte) {
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorTitle()), "错误");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorText(9, RuntimeErrorMessage(RuntimeErrorCode::kChoiceOutOfRange))),
              "运行时出错!\r\n\r\n错误代码：9\r\n\r\n错误信息：“多项选择”命令的索引值参数小于零或超出了所提供参数表范围\r\n");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorText(std::nullopt, Text::FromUtf8("载入启动窗口失败"))),
              "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorText(1, Text())), "运行时出错!\r\n\r\n错误代码：1\r\n\r\n");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorMessage(RuntimeErrorCode::kIndexAboveSize)), "数组成员引用下标超出定义范围");
    EXPECT_EQ(AnsiToUtf8(RuntimeErrorMessage(RuntimeErrorCode::kIndexBelowOne)), "数组成员引用下标必须大于等于1");
}

TEST(RuntimeErrorDeathTest, StopsWithMinusOneWithoutTheExitStep) {
    EXPECT_EXIT(
        {
            RegisterExitStep([] { std::fputs("exit step ran", stderr); });
            StopWithRuntimeError(RuntimeErrorCode::kIndexBelowOne);
        },
        ::testing::ExitedWithCode(255), "^错误\n运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n$");
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
