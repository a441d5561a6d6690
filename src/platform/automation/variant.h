#pragma once

// The automation variant: the one value type that crosses into and out of a
// component member call.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace kestrane {

class ComponentObject;

// A counted reference to a component instance, or empty. Copying adds one to
// the instance's count; Release drops this reference.
class ObjectRef {
public:
    ObjectRef() = default;
    explicit ObjectRef(std::shared_ptr<ComponentObject> object) : m_object(std::move(object)) {}
    bool IsEmpty() const { return m_object == nullptr; }
    explicit operator bool() const { return m_object != nullptr; }
    ComponentObject* Get() const { return m_object.get(); }
    ComponentObject* operator->() const { return m_object.get(); }
    void Release() { m_object.reset(); }
    long UseCount() const { return m_object.use_count(); }
    friend bool operator==(const ObjectRef& a, const ObjectRef& b) { return a.m_object == b.m_object; }

private:
    std::shared_ptr<ComponentObject> m_object;
};

// A one-dimensional array of bytes with its lower bound.
struct ByteArray {
    std::vector<std::uint8_t> elements;
    std::int32_t lowerBound = 0;
    bool signedElements = false;
    friend bool operator==(const ByteArray&, const ByteArray&) = default;
};

class Variant {
public:
    enum class Kind { kEmpty, kInt, kDouble, kBool, kString, kByteArray, kObject };

    Variant() = default;
    Variant(std::int32_t v) : m_value(v) {}  // NOLINT: variants convert implicitly, as in automation
    Variant(double v) : m_value(v) {}        // NOLINT
    Variant(bool v) : m_value(v) {}          // NOLINT
    Variant(std::u16string v) : m_value(std::move(v)) {}  // NOLINT
    Variant(const char16_t* v) : m_value(std::u16string(v)) {}  // NOLINT
    Variant(ByteArray v) : m_value(std::move(v)) {}  // NOLINT
    Variant(ObjectRef v) : m_value(std::move(v)) {}  // NOLINT

    Kind GetKind() const { return static_cast<Kind>(m_value.index()); }
    bool IsEmpty() const { return GetKind() == Kind::kEmpty; }
    // Empties the variant, releasing what it held.
    void Clear() { m_value = std::monostate{}; }

    // Direct access; the kind must match.
    std::int32_t Int() const { return std::get<std::int32_t>(m_value); }
    double Double() const { return std::get<double>(m_value); }
    bool Bool() const { return std::get<bool>(m_value); }
    const std::u16string& String() const { return std::get<std::u16string>(m_value); }
    const ByteArray& Array() const { return std::get<ByteArray>(m_value); }
    const ObjectRef& Object() const { return std::get<ObjectRef>(m_value); }

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, std::int32_t, double, bool, std::u16string, ByteArray, ObjectRef> m_value;
};

}  // namespace kestrane
