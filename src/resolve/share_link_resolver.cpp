#include "resolve/share_link_resolver.h"

#include "platform/page_fetch.h"
#include "resolve/file_details_stage.h"
#include "resolve/link_stage.h"
#include "resolve/mirror_stage.h"

namespace kestrane {

Text ResolveShareLink(const Text& shareAddress, WindowSurface& window) {
    const Text page = FetchPageBytes(shareAddress).ToText();
    const Text address1 = RunMirrorStage(FindDirectLink(page), window);
    RunFileDetailsStage(page, window);
    return address1;
}

}  // namespace kestrane
