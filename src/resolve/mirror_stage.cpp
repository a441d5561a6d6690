#include "resolve/mirror_stage.h"

#include "http/mirror_probes.h"

namespace kestrane {

void RunMirrorStage(Text& address1, WindowSurface& window) {
    using enum Control;
    const Text address2 = GetRedirectTarget(address1);
    window.SetText(编辑框_下载地址2, address2);
    if (!IsBadRequestHost(window.GetText(编辑框_下载地址2))) {
        Text readBack = window.GetText(编辑框_下载地址2);
        const Text address3 = GetRedirectTarget(readBack);
        window.SetText(编辑框_下载地址3, address3);
    }
}

}  // namespace kestrane
