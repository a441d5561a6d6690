#include "app/memory_window.h"

#include "app/window_handlers.h"

namespace kestrane {

MemoryWindow::MemoryWindow() {
    for (const ControlSpec& spec : ControlTable()) m_texts[Index(spec.id)] = Text::FromUtf8(spec.startText);
    OnMainWindowCreated(*this);
}

}  // namespace kestrane
