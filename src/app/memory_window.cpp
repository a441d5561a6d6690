#include "app/memory_window.h"

#include "app/window_handlers.h"

namespace kestrane {

MemoryWindow::MemoryWindow() {
    for (const ControlLayout& entry : ControlTable()) m_texts[Index(entry.id)] = Text::FromUtf8(entry.startText);
    OnMainWindowCreated(*this);
}

}  // namespace kestrane
