#include "resolve/mirror_stage.h"

#include "http/mirror_probes.h"

namespace kestrane {

Text RunMirrorStage(const Text& address1, WindowSurface& window) {
    using enum Control;
    const RedirectProbe first = GetRedirectTarget(address1);
    window.SetText(编辑框_下载地址2, first.location);
    if (!IsBadRequestHost(window.GetText(编辑框_下载地址2))) {
        window.SetText(编辑框_下载地址3, GetRedirectTarget(window.GetText(编辑框_下载地址2)).location);
    }
    return first.requestedUrl;
}

}  // namespace kestrane
