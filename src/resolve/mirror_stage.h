#pragma once

#include "platform/text.h"
#include "resolve/window_surface.h"

namespace kestrane {

// Follows the redirect of download address 1 into 编辑框_下载地址2, and, unless
// that host answers "Bad Request", the redirect of address 2 into
// 编辑框_下载地址3. `address1` may come back with "http://" in front.
void RunMirrorStage(Text& address1, WindowSurface& window);

}  // namespace kestrane
