#pragma once

#include "platform/text.h"
#include "resolve/window_surface.h"

namespace kestrane {

// Downloads the share page at `shareAddress`, fills the mirror addresses and
// file details into `window` as its stages run, and returns download address 1.
// Never fails: every failure leaves the values of that stage empty.
Text ResolveShareLink(const Text& shareAddress, WindowSurface& window);

}  // namespace kestrane
