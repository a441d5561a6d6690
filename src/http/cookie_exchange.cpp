#include "http/cookie_exchange.h"

#include <vector>

#include "http/cookie_store.h"
#include "http/text_between.h"
#include "pattern/script_regex.h"
#include "platform/ascii.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/http_request_names.h"

namespace kestrane {

namespace {

constexpr const char* kSetCookiePattern = "Set-Cookie: ?(.*?)=(.*?);";

Text AllResponseHeaders(const ObjectRef& requestObject) {
    return CallForText(requestObject, http_member::kGetAllResponseHeaders, CallKind::kMethod);
}

// A name or value with a control byte (a tab, CR, LF, ...) would break the
// Cookie header or be refused with it: such a cookie is neither stored nor sent.
bool IsCleanCookieText(const Text& t) { return !HasControlByte(t.View()); }

}  // namespace

bool AttachStoredCookies(const ObjectRef& requestObject, const Text& host) {
    if (!requestObject || !GlobalCookieStore) return false;
    std::vector<Text> names;
    GlobalCookieStore->GetCookieNames(host, names);
    Text header;
    for (const Text& name : names) {
        const Text value = GlobalCookieStore->GetCookie(host, name);
        if (value.IsBlank() || !IsCleanCookieText(name) || !IsCleanCookieText(value)) continue;
        header += name + "=" + value + "; ";
    }
    if (header.IsBlank()) return false;
    CallMember(requestObject, http_member::kSetRequestHeader, CallKind::kMethod, {TextArg(Text("Cookie")), TextArg(header)});
    return true;
}

bool StoreResponseCookies(const ObjectRef& requestObject, const Text& host) {
    ScriptRegex regex;
    if (!requestObject) return false;
    regex.Create(Text(kSetCookiePattern));
    regex.Execute(AllResponseHeaders(requestObject));
    const int count = regex.MatchCount();
    if (count == 0) return false;
    for (int i = 1; i <= count; ++i) {
        const Text name = regex.SubmatchText(i, 1);
        const Text value = regex.SubmatchText(i, 2);
        if (!IsCleanCookieText(name) || !IsCleanCookieText(value)) continue;
        if (GlobalCookieStore) GlobalCookieStore->SetCookie(host, name, value);
    }
    return true;
}

Text ResponseCookieValue(const ObjectRef& requestObject, const Text& name) {
    Text value = TextBetween(AllResponseHeaders(requestObject), Text("Set-Cookie: ") + name + "=", Text(";"));
    if (value.IsEmpty()) value = TextBetween(AllResponseHeaders(requestObject), Text("Set-Cookie:") + name + "=", Text(";"));
    return value;
}

Text SetCookieLines(const ObjectRef& requestObject) {
    Text lines;
    for (const Text& line : AllResponseHeaders(requestObject).Split("\r\n")) {
        if (line.StartsWith("Set-Cookie:")) lines += line + "\r\n";
    }
    return lines;
}

}  // namespace kestrane
