#pragma once

// For tests: creating a component of one ProgID fails while this lives. Its
// factory is swapped for one that makes nothing, and put back afterwards.

#include <string>
#include <utility>

#include "platform/automation/component_library.h"

namespace kestrane::test {

class ScopedCreationFailure {
public:
    // Initialises the library on the calling thread first, so that the
    // built-in components are registered before one of them is swapped.
    explicit ScopedCreationFailure(std::string progId)
        : m_progId((InitializeComponentLibrary(), std::move(progId))),
          m_replaced(RegisterComponent(m_progId, [] { return nullptr; })) {}
    ~ScopedCreationFailure() { RegisterComponent(m_progId, std::move(m_replaced)); }
    ScopedCreationFailure(const ScopedCreationFailure&) = delete;
    ScopedCreationFailure& operator=(const ScopedCreationFailure&) = delete;

private:
    std::string m_progId;
    ComponentFactory m_replaced;
};

}  // namespace kestrane::test
