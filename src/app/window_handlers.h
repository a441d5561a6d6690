#pragma once

// The window's small handlers, and the desktop services they need. None of
// this knows Qt: the window passes itself and its services in.

#include "resolve/window_surface.h"

namespace kestrane {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Replaces the clipboard's content with `text`; a clipboard that cannot be
    // opened is left alone, silently.
    virtual void PutOnClipboard(const Text& text) = 0;
    // A task-modal box with one OK button and no icon; returns when closed.
    virtual void ShowInformation(const Text& title, const Text& text) = 0;
};

void OnMainWindowCreated(WindowSurface& window);

// The left mouse button went down on one of the three download-address boxes.
void OnAddressBoxPressed(WindowSurface& window, Control box, DesktopServices& desktop);

void OnCopyMd5Clicked(WindowSurface& window, DesktopServices& desktop);

}  // namespace kestrane
