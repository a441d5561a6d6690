// The window program: start-up, the message loop, exit.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "app/desktop_identity.h"
#include "app/main_window.h"
#include "app/start_options.h"
#include "http/cookie_store.h"
#include "platform/automation/component_library.h"
#include "platform/code_page.h"
#include "platform/runtime_error.h"

namespace {

using namespace kestrane;

bool g_windowUp = false;

// Until the window exists, a fatal message from the window system (no
// display, no platform plugin) means the window cannot be created.
void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg && !g_windowUp) StopWithRuntimeError(std::nullopt, Text::FromUtf8("载入启动窗口失败"));
}

void ShowRuntimeErrorBox(const Text& title, const Text& text) {
    if (!g_windowUp) {
        std::fprintf(stderr, "%s\n%s", AnsiToUtf8(title).c_str(), AnsiToUtf8(text).c_str());
        return;
    }
    QMessageBox box(QMessageBox::Critical, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    switch (ReadStartRequest(argc, argv)) {
        case StartRequest::kPrintVersion:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case StartRequest::kPrintHelp:
            std::fputs(HelpText().c_str(), stdout);
            return 0;
        case StartRequest::kOpenWindow:
            break;
    }

    qInstallMessageHandler(&OnQtMessage);
    SetRuntimeErrorPresenter(&ShowRuntimeErrorBox);
    // X11 and Wayland shells match the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(ApplicationId());
    QApplication app(argc, argv);
    QApplication::setWindowIcon(ApplicationIcon());
    InstallQtChineseTranslations();
    InitializeComponentLibrary();

    GlobalCookieStore = std::make_unique<CookieStore>();
    RegisterExitStep([] { GlobalCookieStore.reset(); });

    QtDesktopServices desktop;
    auto window = std::make_unique<MainWindow>(desktop);
    window->ShowAtHome();
    g_windowUp = true;
    // For the start-up benchmark: leave as soon as the window is up.
    if (qEnvironmentVariableIsSet("KESTRANE_QUIT_WHEN_SHOWN")) QTimer::singleShot(0, &app, &QApplication::quit);

    QApplication::exec();
    window.reset();
    RunExitSteps();
    return 0;
}
