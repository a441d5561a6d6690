#pragma once

#include "resolve/window_surface.h"

namespace kestrane {

// The parse button's handler: clears the seven outputs, resolves the share
// address of 编辑框_百度 when the radio button is checked, shows download
// address 1, restores the caption and empties the input box. Reports nothing.
void OnParseClicked(WindowSurface& window);

}  // namespace kestrane
