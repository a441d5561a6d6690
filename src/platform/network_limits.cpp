#include "platform/network_limits.h"

#include <mutex>

namespace kestrane {

namespace {
std::mutex g_mutex;
NetworkLimits g_limits;
}  // namespace

NetworkLimits CurrentNetworkLimits() {
    std::lock_guard lock(g_mutex);
    return g_limits;
}

void SetNetworkLimits(const NetworkLimits& limits) {
    std::lock_guard lock(g_mutex);
    g_limits = limits;
}

}  // namespace kestrane
