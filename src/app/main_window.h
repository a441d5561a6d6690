#pragma once

// The program's one window, built in Qt from the layout table. Controls hold
// ANSI (GBK) Text as far as the rest of the program can tell: the window
// converts at its edge.

#include <QWidget>

#include <array>
#include <memory>

#include "app/control_table.h"
#include "app/window_handlers.h"
#include "resolve/window_surface.h"

namespace kestrane {

class QtDesktopServices : public DesktopServices {
public:
    void PutOnClipboard(const Text& text) override;
    void ShowInformation(const Text& title, const Text& text) override;
};

class MainWindow : public QWidget, public WindowSurface {
public:
    // Creates every control in table order and runs OnMainWindowCreated.
    explicit MainWindow(DesktopServices& desktop);

    // Shows the window at its place with its outer size.
    void ShowAtHome();

    QWidget* Widget(Control id) const { return m_widgets[static_cast<std::size_t>(id)]; }

    Text GetText(Control box) override;
    void SetText(Control box, const Text& text) override;
    Text GetCaption(Control control) override;
    void SetCaption(Control control, const Text& caption) override;
    int GetChecked(Control radio) override;
    void SetChecked(Control radio, int checked) override;

private:
    QWidget* CreateControl(const ControlLayout& entry);
    // Tab order from top to bottom; the keyboard focus starts in the share box.
    void SetUpKeyboard();

    DesktopServices& m_desktop;
    std::array<QWidget*, kControlCount> m_widgets{};
};

// Converts between the program's Text and Qt's strings.
QString ToQString(const Text& text);
Text FromQString(const QString& text);

}  // namespace kestrane
