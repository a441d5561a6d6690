#include "platform/automation/component_library.h"

#include <map>
#include <mutex>
#include <new>

#include "platform/automation/http_request_component.h"
#include "platform/automation/script_regexp_component.h"

namespace kestrane {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, ComponentFactory, std::less<>> factories;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

thread_local bool t_initialized = false;

}  // namespace

void InitializeComponentLibrary() {
    t_initialized = true;
    static std::once_flag builtIns;
    std::call_once(builtIns, [] {
        RegisterComponent(kHttpRequestProgId, &MakeHttpRequestComponent);
        RegisterComponent(kScriptRegExpProgId, &MakeScriptRegExpComponent);
    });
}

bool IsComponentLibraryInitialized() { return t_initialized; }

ComponentFactory RegisterComponent(const std::string& progId, ComponentFactory factory) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    ComponentFactory replaced;
    if (const auto it = r.factories.find(progId); it != r.factories.end()) {
        replaced = std::move(it->second);
        r.factories.erase(it);
    }
    if (factory) r.factories.emplace(progId, std::move(factory));
    return replaced;
}

ObjectRef CreateComponent(std::string_view progId) {
    if (!t_initialized) return {};
    ComponentFactory factory;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.mutex);
        const auto it = r.factories.find(progId);
        if (it == r.factories.end()) return {};
        factory = it->second;
    }
    try {
        return ObjectRef(factory());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kestrane
