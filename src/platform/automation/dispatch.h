#pragma once

// Calling component members by name from the program's side: each call
// records its outcome as the thread's last call outcome and hands back the
// empty value of the expected kind when anything fails.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/automation/component_object.h"
#include "platform/text.h"

namespace kestrane {

// A Text as a component sees it: UTF-16.
Variant TextArg(const Text& text);

Variant CallMember(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args = {});
std::int32_t CallForInt(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args = {});
bool CallForBool(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args = {});
// The result converted from UTF-16 to the ANSI code page (bytes that a
// component kept as they were, see header_bytes.h, come back as those bytes).
Text CallForText(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args = {});
ObjectRef CallForObject(const ObjectRef& object, std::string_view name, CallKind kind, std::vector<Variant> args = {});

}  // namespace kestrane
