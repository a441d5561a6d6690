#pragma once

// Hands a download to a running aria2 over its JSON-RPC interface (HTTP POST).

#include <string>
#include <vector>

#include "cli/output_format.h"

namespace kestrane {

struct Aria2RpcEndpoint {
    std::string url;                   // e.g. http://127.0.0.1:6800/jsonrpc
    std::string secret;                // sent as "token:<secret>" when not empty
    std::vector<std::string> headers;  // "Name: value", passed on as the download's "header" option
};

struct Aria2RpcAnswer {
    std::string gid;    // the new download's GID on success
    std::string error;  // what went wrong, in words for a person; empty on success
};

// The aria2.addUri request for `download`: every mirror as URIs of one
// download, options "out", "checksum" and "header" when they have values.
std::string Aria2AddUriRequest(const Aria2RpcEndpoint& endpoint, const Aria2Download& download, const std::string& id);

// Calls aria2.addUri at `endpoint`. Never throws: an unreachable server, a
// time-out (10 s to connect, 30 s in all), an answer that is not JSON-RPC or
// an error answer come back as `error`.
Aria2RpcAnswer Aria2AddUri(const Aria2RpcEndpoint& endpoint, const Aria2Download& download, const std::string& id);

}  // namespace kestrane
