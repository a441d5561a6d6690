#pragma once

#include "platform/text.h"
#include "resolve/window_surface.h"

namespace kestrane {

// Follows the redirect of download address 1 into 编辑框_下载地址2, and, unless
// that host answers "Bad Request", the redirect of address 2 into
// 编辑框_下载地址3. Returns address 1 as it was requested: with "http://" in
// front when it had no scheme.
Text RunMirrorStage(const Text& address1, WindowSurface& window);

}  // namespace kestrane
