#include "platform/automation/component_object.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>

#include "platform/ascii.h"
#include "platform/code_page.h"

namespace kestrane {

namespace {

std::optional<double> ParseNumber(const std::u16string& s) {
    std::string ascii = Utf16ToUtf8(s);
    const auto first = ascii.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    ascii = ascii.substr(first, ascii.find_last_not_of(" \t") - first + 1);
    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

std::u16string NumberText(double d) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    if (ec != std::errc()) return {};
    return Utf8ToUtf16(std::string_view(buf, static_cast<std::size_t>(end - buf)));
}

}  // namespace

namespace {

std::optional<Variant> Convert(const Variant& v, ParamKind kind, CallOutcome& outcome) {
    using K = Variant::Kind;
    const K from = v.GetKind();
    auto asDouble = [&]() -> std::optional<double> {
        switch (from) {
            case K::kEmpty: return 0.0;
            case K::kInt: return static_cast<double>(v.Int());
            case K::kDouble: return v.Double();
            case K::kBool: return v.Bool() ? -1.0 : 0.0;
            case K::kString: {
                auto d = ParseNumber(v.String());
                if (!d) outcome = CallOutcome::kTypeMismatch;
                return d;
            }
            default: outcome = CallOutcome::kBadArgumentKind; return std::nullopt;
        }
    };
    switch (kind) {
        case ParamKind::kAny:
            return v;
        case ParamKind::kInt: {
            const auto d = asDouble();
            if (!d) return std::nullopt;
            const double r = std::nearbyint(*d);
            if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())) {
                outcome = CallOutcome::kOverflow;
                return std::nullopt;
            }
            return Variant(static_cast<std::int32_t>(r));
        }
        case ParamKind::kDouble: {
            const auto d = asDouble();
            if (!d) return std::nullopt;
            return Variant(*d);
        }
        case ParamKind::kBool: {
            const auto d = asDouble();
            if (!d) return std::nullopt;
            return Variant(*d != 0);
        }
        case ParamKind::kString:
            switch (from) {
                case K::kEmpty: return Variant(std::u16string());
                case K::kInt: return Variant(NumberText(v.Int()));
                case K::kDouble: return Variant(NumberText(v.Double()));
                case K::kBool: return Variant(std::u16string(v.Bool() ? u"True" : u"False"));
                case K::kString: return v;
                default: outcome = CallOutcome::kBadArgumentKind; return std::nullopt;
            }
        case ParamKind::kByteArray:
            if (from == K::kByteArray) return v;
            outcome = CallOutcome::kBadArgumentKind;
            return std::nullopt;
        case ParamKind::kObject:
            if (from == K::kObject || from == K::kEmpty) return from == K::kEmpty ? Variant(ObjectRef()) : v;
            outcome = CallOutcome::kBadArgumentKind;
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

ConvertedValue ConvertVariant(const Variant& v, ParamKind kind) {
    CallOutcome why = CallOutcome::kSuccess;
    auto value = Convert(v, kind, why);
    if (!value && why == CallOutcome::kSuccess) why = CallOutcome::kBadArgumentKind;
    return {std::move(value), why};
}

void ComponentObject::DeclareGet(std::string name, std::vector<Param> params, Body body) {
    m_members.push_back({std::move(name), CallKind::kGet, std::move(params), std::move(body)});
}

void ComponentObject::DeclarePut(std::string name, std::vector<Param> params, Body body) {
    m_members.push_back({std::move(name), CallKind::kPut, std::move(params), std::move(body)});
}

void ComponentObject::DeclareMethod(std::string name, std::vector<Param> params, Body body) {
    m_members.push_back({std::move(name), CallKind::kMethod, std::move(params), std::move(body)});
}

CallResult ComponentObject::Invoke(std::string_view name, CallKind kind, std::span<const Variant> args) {
    const Member* member = nullptr;
    bool nameKnown = false;
    for (const Member& m : m_members) {
        if (!EqualIgnoringAsciiCase(m.name, name)) continue;
        nameKnown = true;
        // A method can also be read like a property, as automation allows.
        if (m.kind == kind || (kind == CallKind::kGet && m.kind == CallKind::kMethod)) {
            member = &m;
            break;
        }
    }
    if (member == nullptr) return {nameKnown ? CallOutcome::kMemberNotFound : CallOutcome::kUnknownName, {}};
    if (args.size() > member->params.size()) return {CallOutcome::kTooManyArguments, {}};

    std::vector<Variant> converted;
    converted.reserve(member->params.size());
    for (std::size_t i = 0; i < member->params.size(); ++i) {
        const Param& p = member->params[i];
        if (i >= args.size()) {
            if (!p.optional) return {CallOutcome::kParamNotOptional, {}};
            converted.emplace_back();
            continue;
        }
        ConvertedValue value = ConvertVariant(args[i], p.kind);
        if (!value.value) return {value.why, {}};
        converted.push_back(std::move(*value.value));
    }
    try {
        return {CallOutcome::kSuccess, member->body(converted)};
    } catch (const ComponentError& e) {
        return {e.outcome, {}};
    } catch (const std::bad_alloc&) {
        return {CallOutcome::kOtherFailure, {}};
    }
}

}  // namespace kestrane
