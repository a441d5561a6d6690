#pragma once

// Every bound the program puts on its network exchanges, in one place. The
// parse runs on the window's thread, so each exchange must end by itself
// however a server behaves: silent, trickling, endless or looping.

#include <chrono>
#include <cstddef>

namespace kestrane {

using Millis = std::chrono::milliseconds;

struct NetworkLimits {
    // The share-page fetch.
    Millis pageConnect{10'000};         // TCP and TLS set-up
    Millis pageStall{30'000};           // no byte arriving for this long ends the read
    Millis pageTotal{60'000};           // the whole fetch, redirects included
    std::size_t pageMaxBytes = 32u << 20;  // bytes beyond this are not read; those before are parsed
    long pageMaxRedirects = 10;

    // The status probe of the mirror stage.
    Millis probeConnect{10'000};
    Millis probeTotal{30'000};

    // Defaults of the HTTP request component (SetTimeouts replaces the first four).
    Millis requestResolve{0};           // 0: no limit
    Millis requestConnect{15'000};
    Millis requestSend{30'000};
    Millis requestReceive{30'000};
    Millis requestTotal{60'000};        // until SetTimeouts: then the sum of the four, when all are limited
    std::size_t requestMaxBytes = 64u << 20;  // a longer response body fails the request
};

NetworkLimits CurrentNetworkLimits();
// For tests, which shorten the limits to see them work.
void SetNetworkLimits(const NetworkLimits& limits);

}  // namespace kestrane
