#include "platform/runtime_error.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/code_page.h"

namespace kestrane {

namespace {

RuntimeErrorPresenter& Presenter() {
    static RuntimeErrorPresenter presenter = [](const Text& title, const Text& text) {
        const std::string out = AnsiToUtf8(title) + "\n" + AnsiToUtf8(text);
        std::fputs(out.c_str(), stderr);
        std::fflush(stderr);
    };
    return presenter;
}

std::vector<std::function<void()>>& ExitSteps() {
    static std::vector<std::function<void()>> steps;
    return steps;
}

}  // namespace

Text RuntimeErrorTitle() { return Text::FromUtf8("错误"); }

Text RuntimeErrorText(std::optional<int> code, const Text& message) {
    Text text = Text::FromUtf8("运行时出错!") + "\r\n\r\n";
    if (code) text += Text::FromUtf8("错误代码：") + Text(std::to_string(*code)) + "\r\n\r\n";
    if (!message.IsEmpty()) text += Text::FromUtf8("错误信息：") + message + "\r\n";
    return text;
}

void SetRuntimeErrorPresenter(RuntimeErrorPresenter presenter) { Presenter() = std::move(presenter); }

void StopWithRuntimeError(std::optional<int> code, const Text& message) {
    if (Presenter()) Presenter()(RuntimeErrorTitle(), RuntimeErrorText(code, message));
    std::_Exit(-1);  // the exit steps deliberately do not run
}

void RegisterExitStep(std::function<void()> step) { ExitSteps().push_back(std::move(step)); }

void RunExitSteps() {
    auto& steps = ExitSteps();
    while (!steps.empty()) {
        auto step = std::move(steps.back());
        steps.pop_back();
        step();
    }
}

}  // namespace kestrane
