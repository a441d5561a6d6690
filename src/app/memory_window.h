#pragma once

// A window without a screen: every control's text kept in memory, starting
// from the layout's start texts. The command-line front end parses on one.

#include <array>

#include "app/control_table.h"
#include "resolve/window_surface.h"

namespace kestrane {

class MemoryWindow : public WindowSurface {
public:
    // The controls as the window creates them, with the radio button checked
    // the way the window-created handler leaves it.
    MemoryWindow();

    Text GetText(Control box) override { return m_texts[Index(box)]; }
    void SetText(Control box, const Text& text) override { m_texts[Index(box)] = text; }
    Text GetCaption(Control control) override { return m_texts[Index(control)]; }
    void SetCaption(Control control, const Text& caption) override { m_texts[Index(control)] = caption; }
    int GetChecked(Control radio) override { return m_checked[Index(radio)]; }
    void SetChecked(Control radio, int checked) override { m_checked[Index(radio)] = checked; }

private:
    static std::size_t Index(Control c) { return static_cast<std::size_t>(c); }
    std::array<Text, kControlCount> m_texts;
    std::array<int, kControlCount> m_checked{};
};

}  // namespace kestrane
