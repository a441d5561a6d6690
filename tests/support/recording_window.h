#pragma once

// An in-memory window that records every write, in order, for tests that
// check what the parse shows and when.

#include <string>
#include <vector>

#include "app/memory_window.h"
#include "platform/code_page.h"

namespace kestrane::test {

struct WindowWrite {
    Control control;
    std::string utf8;  // the text written, converted for readable failures
    friend bool operator==(const WindowWrite&, const WindowWrite&) = default;
};

class RecordingWindow : public MemoryWindow {
public:
    void SetText(Control box, const Text& text) override {
        m_writes.push_back({box, AnsiToUtf8(text)});
        MemoryWindow::SetText(box, text);
    }
    void SetCaption(Control control, const Text& caption) override {
        m_writes.push_back({control, AnsiToUtf8(caption)});
        MemoryWindow::SetCaption(control, caption);
    }
    const std::vector<WindowWrite>& Writes() const { return m_writes; }
    void ForgetWrites() { m_writes.clear(); }
    std::string Utf8Of(Control c) { return AnsiToUtf8(GetCaption(c)); }

private:
    std::vector<WindowWrite> m_writes;
};

}  // namespace kestrane::test
