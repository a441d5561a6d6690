#pragma once

// A component object: members called by name as a property read, a property
// write (index first, value last) or a method call. Each component declares
// its members once, with the kinds of their parameters; calls are checked
// against that table before a member's body runs.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/call_outcome.h"
#include "platform/automation/variant.h"

namespace kestrane {

enum class CallKind { kGet, kPut, kMethod };

// What a parameter accepts. Arguments are converted to it the way automation
// converts them (a number for a string parameter becomes its decimal text).
enum class ParamKind { kAny, kInt, kDouble, kBool, kString, kByteArray, kObject };

struct Param {
    ParamKind kind = ParamKind::kAny;
    bool optional = false;
};

// Thrown by a member body: the component reports a failure. `outcome` is one of
// the component-reported outcomes, kException for an error it raised.
struct ComponentError {
    CallOutcome outcome = CallOutcome::kException;
    std::string description;
};

[[noreturn]] inline void RaiseComponentError(std::string description) {
    throw ComponentError{CallOutcome::kException, std::move(description)};
}

struct CallResult {
    CallOutcome outcome = CallOutcome::kSuccess;
    Variant value;
};

class ComponentObject : public std::enable_shared_from_this<ComponentObject> {
public:
    using Body = std::function<Variant(std::vector<Variant>& args)>;

    virtual ~ComponentObject() = default;

    // Calls member `name` (letter case ignored). Arguments are checked and
    // converted against the member's parameters; missing optional ones are
    // passed as empty variants.
    CallResult Invoke(std::string_view name, CallKind kind, std::span<const Variant> args);

protected:
    // Declares a readable property, a writable property (its parameters are the
    // index parameters then the value) or a method.
    void DeclareGet(std::string name, std::vector<Param> params, Body body);
    void DeclarePut(std::string name, std::vector<Param> params, Body body);
    void DeclareMethod(std::string name, std::vector<Param> params, Body body);

private:
    struct Member {
        std::string name;
        CallKind kind;
        std::vector<Param> params;
        Body body;
    };
    std::vector<Member> m_members;
};

// A conversion's result: the value, or nothing and the reason.
struct ConvertedValue {
    std::optional<Variant> value;
    CallOutcome why = CallOutcome::kSuccess;
};

// Converts `v` to `kind` as an argument or result is converted.
ConvertedValue ConvertVariant(const Variant& v, ParamKind kind);

}  // namespace kestrane
