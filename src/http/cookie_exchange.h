#pragma once

// How cookies travel between HTTP requests and the program-wide store.

#include "platform/automation/variant.h"
#include "platform/text.h"

namespace kestrane {

// Before a send: the stored cookies of `host` become the Cookie request header.
// True when a header was set.
bool AttachStoredCookies(const ObjectRef& requestObject, const Text& host);

// After a send: every name and value of the response's Set-Cookie headers goes
// into the store under `host`. True when the headers held at least one cookie.
bool StoreResponseCookies(const ObjectRef& requestObject, const Text& host);

// The value of cookie `name` in the last response's Set-Cookie headers.
Text ResponseCookieValue(const ObjectRef& requestObject, const Text& name);

// The Set-Cookie header lines of the last response, each ended by CR LF.
Text SetCookieLines(const ObjectRef& requestObject);

}  // namespace kestrane
