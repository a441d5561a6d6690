#include "platform/automation/dispatch.h"

#include <cmath>

#include "platform/code_page.h"

namespace kestrane {

namespace {

// Converts a successful result to `kind`, recording a mismatch when it cannot be.
std::optional<Variant> Expect(const Variant& v, ParamKind kind) {
    CallOutcome why = CallOutcome::kResultMismatch;
    auto converted = ConvertVariant(v, kind, why);
    SetLastCallOutcome(converted ? CallOutcome::kSuccess : CallOutcome::kResultMismatch);
    return converted;
}

}  // namespace

Variant TextArg(const Text& text) { return Variant(AnsiToUtf16(text)); }

Variant CallMember(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    if (!object) {
        SetLastCallOutcome(CallOutcome::kNoInstance);
        return {};
    }
    CallResult result = object->Invoke(name, kind, args);
    SetLastCallOutcome(result.outcome);
    return result.outcome == CallOutcome::kSuccess ? std::move(result.value) : Variant();
}

std::int32_t CallForInt(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = CallMember(object, name, kind, std::move(args));
    if (LastCallOutcome() != CallOutcome::kSuccess) return 0;
    // Numbers are truncated toward zero, not rounded.
    if (v.GetKind() == Variant::Kind::kDouble) {
        const double t = std::trunc(v.Double());
        if (t >= -2147483648.0 && t <= 2147483647.0) return static_cast<std::int32_t>(t);
        SetLastCallOutcome(CallOutcome::kResultMismatch);
        return 0;
    }
    const auto converted = Expect(v, ParamKind::kInt);
    return converted ? converted->Int() : 0;
}

bool CallForBool(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = CallMember(object, name, kind, std::move(args));
    if (LastCallOutcome() != CallOutcome::kSuccess) return false;
    const auto converted = Expect(v, ParamKind::kBool);
    return converted ? converted->Bool() : false;
}

Text CallForText(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = CallMember(object, name, kind, std::move(args));
    if (LastCallOutcome() != CallOutcome::kSuccess) return {};
    const auto converted = Expect(v, ParamKind::kString);
    return converted ? Utf16ToAnsi(converted->String()) : Text();
}

ObjectRef CallForObject(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = CallMember(object, name, kind, std::move(args));
    if (LastCallOutcome() != CallOutcome::kSuccess) return {};
    const auto converted = Expect(v, ParamKind::kObject);
    return converted ? converted->Object() : ObjectRef();
}

}  // namespace kestrane
