#pragma once

// Cookies kept per host.

#include <memory>

namespace kestrane {

class CookieStore {
public:
    CookieStore() = default;
    virtual ~CookieStore() = default;
};

// The program-wide store: created empty at start-up, destroyed by the exit step.
inline std::unique_ptr<CookieStore> GlobalCookieStore;

}  // namespace kestrane
