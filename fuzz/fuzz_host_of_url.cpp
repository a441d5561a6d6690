// HostOfUrl and the URL split of the status probe on arbitrary URLs.
#include <cstddef>
#include <cstdint>

#include "http/http_request.h"
#include "http/mirror_probes.h"
#include "platform/status_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    const Text url = Bytes(data, size).ToText();
    // The host never holds what ends an authority or user information, nor a
    // port's colon: a colon stands only inside an IPv6 address's brackets.
    const Text host = HostOfUrl(url);
    for (const char* stop : {"/", "?", "#", "@"}) {
        if (host.Find(stop) != -1) __builtin_trap();
    }
    if (host.Find(":") != -1 && !(host.StartsWith("[") && host.Right(1) == Text("]"))) __builtin_trap();
    const ProbeTarget target = SplitProbeUrl(url);
    if (target.serverName.Length() + target.objectPath.Length() > url.Length()) __builtin_trap();
    // What the probe would send must never carry a line break.
    if (IsSafeRequestTarget(target.objectPath) && target.objectPath.Find("\n") != -1) __builtin_trap();
    if (IsPlainHostName(target.serverName) && target.serverName.Find("\r") != -1) __builtin_trap();
    return 0;
}
