#pragma once

// The run-time error report and the program's exit steps.
//
// A failed run-time check stops the program at once: the report is shown,
// then the process ends with exit code -1 and the registered exit steps do
// not run.

#include <functional>
#include <optional>

#include "platform/text.h"

namespace kestrane {

// The report's title, "错误".
Text RuntimeErrorTitle();

// The report's text: "运行时出错!" and two CR LF, then "错误代码：" with the code and
// two CR LF when there is a code, then "错误信息：" with the message and one CR LF
// when there is a message.
Text RuntimeErrorText(std::optional<int> code, const Text& message);

// Shows the report (title, text); the window program shows a message box with
// an error icon, the command-line front end writes to standard error.
using RuntimeErrorPresenter = std::function<void(const Text& title, const Text& text)>;
void SetRuntimeErrorPresenter(RuntimeErrorPresenter presenter);

[[noreturn]] void StopWithRuntimeError(std::optional<int> code, const Text& message);

// Exit steps run by RunExitSteps, last registered first.
void RegisterExitStep(std::function<void()> step);
void RunExitSteps();

}  // namespace kestrane
