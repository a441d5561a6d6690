#pragma once

// The status probe: one HTTP/1.1 GET to port 80 of a server, with the
// program's browser identity and no proxy, reading only the reason phrase.

#include <optional>

#include "platform/text.h"

namespace kestrane {

// The status text (reason phrase) of the response to GET `objectPath` on
// `serverName`:80, or nothing when no response arrived. A server name that is
// not a host name, or a path holding control bytes or spaces (which would let
// the caller write its own request line or headers), sends nothing.
// Time-outs: NetworkLimits' probeConnect and probeTotal.
std::optional<Text> ProbeStatusText(const Text& serverName, const Text& objectPath);

// True when `name` may stand as the host of a request: letters, digits, "-", "_" and ".".
bool IsPlainHostName(const Text& name);
// True when `path` can go into a request line as it is.
bool IsSafeRequestTarget(const Text& path);

}  // namespace kestrane
