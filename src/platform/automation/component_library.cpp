#include "platform/automation/component_library.h"

#include <map>
#include <mutex>
#include <new>
#include <set>

#include "platform/automation/http_request_component.h"
#include "platform/automation/script_regexp_component.h"

namespace kestrane {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, ComponentFactory, std::less<>> factories;
    std::multiset<std::string, std::less<>> failing;
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

void RegisterComponent(const std::string& progId, ComponentFactory factory) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.factories[progId] = std::move(factory);
}

ObjectRef CreateComponent(std::string_view progId) {
    if (!t_initialized) return {};
    ComponentFactory factory;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.mutex);
        if (r.failing.contains(progId)) return {};
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

ScopedCreationFailure::ScopedCreationFailure(std::string progId) : m_progId(std::move(progId)) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.failing.insert(m_progId);
}

ScopedCreationFailure::~ScopedCreationFailure() {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.failing.erase(r.failing.find(m_progId));
}

}  // namespace kestrane
