#include "platform/automation/dispatch.h"

#include <cmath>

#include "platform/automation/header_bytes.h"
#include "platform/code_page.h"

namespace kestrane {

namespace {

// One member call: the outcome travels with the value, and nothing is recorded.
CallResult Invoke(const ObjectRef& object, std::string_view name, CallKind kind, const std::vector<Variant>& args) {
    if (!object) return {CallOutcome::kNoInstance, {}};
    return object->Invoke(name, kind, args);
}

// A successful call's result as `kind`; a result that does not convert makes
// the call a mismatch.
CallResult Expect(CallResult result, ParamKind kind) {
    if (result.outcome != CallOutcome::kSuccess) return {result.outcome, {}};
    ConvertedValue converted = ConvertVariant(result.value, kind);
    if (!converted.value) return {CallOutcome::kResultMismatch, {}};
    return {CallOutcome::kSuccess, std::move(*converted.value)};
}

// The thread's last-call record is written here, once per call.
Variant Record(CallResult result) {
    SetLastCallOutcome(result.outcome);
    return result.outcome == CallOutcome::kSuccess ? std::move(result.value) : Variant();
}

}  // namespace

Variant TextArg(const Text& text) { return Variant(AnsiToUtf16(text)); }

Variant CallMember(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    return Record(Invoke(object, name, kind, args));
}

std::int32_t CallForInt(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    CallResult result = Invoke(object, name, kind, args);
    // Numbers are truncated toward zero, not rounded.
    if (result.outcome == CallOutcome::kSuccess && result.value.GetKind() == Variant::Kind::kDouble) {
        const double t = std::trunc(result.value.Double());
        const bool fits = t >= -2147483648.0 && t <= 2147483647.0;
        result = fits ? CallResult{CallOutcome::kSuccess, Variant(static_cast<std::int32_t>(t))}
                      : CallResult{CallOutcome::kResultMismatch, {}};
    }
    const Variant v = Record(Expect(std::move(result), ParamKind::kInt));
    return v.GetKind() == Variant::Kind::kInt ? v.Int() : 0;
}

bool CallForBool(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = Record(Expect(Invoke(object, name, kind, args), ParamKind::kBool));
    return v.GetKind() == Variant::Kind::kBool && v.Bool();
}

Text CallForText(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = Record(Expect(Invoke(object, name, kind, args), ParamKind::kString));
    return v.GetKind() == Variant::Kind::kString ? EncodeKeepingBytes(v.String()) : Text();
}

ObjectRef CallForObject(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args) {
    const Variant v = Record(Expect(Invoke(object, name, kind, args), ParamKind::kObject));
    return v.GetKind() == Variant::Kind::kObject ? v.Object() : ObjectRef();
}

}  // namespace kestrane
