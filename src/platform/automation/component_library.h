#pragma once

// The component library: components are created by ProgID from a registry,
// once the library has been initialised on the calling thread.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/automation/component_object.h"

namespace kestrane {

inline constexpr const char* kHttpRequestProgId = "WinHttp.WinHttpRequest.5.1";
inline constexpr const char* kScriptRegExpProgId = "VBScript.RegExp";

// Initialises the library for the calling thread and registers the built-in
// components. Harmless to call again.
void InitializeComponentLibrary();
bool IsComponentLibraryInitialized();

using ComponentFactory = std::function<std::shared_ptr<ComponentObject>()>;
// Registers (or replaces) the factory of `progId`; an empty factory removes
// it. Returns the factory it replaced (empty when there was none).
ComponentFactory RegisterComponent(const std::string& progId, ComponentFactory factory);

// A new instance of `progId`, or an empty reference when the library is not
// initialised on this thread, the ProgID is unknown or creation fails.
// Records no call outcome.
ObjectRef CreateComponent(std::string_view progId);

}  // namespace kestrane
