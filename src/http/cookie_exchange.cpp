#include "http/cookie_exchange.h"

namespace kestrane {

bool AttachStoredCookies(const ObjectRef&, const Text&) { return false; }

bool StoreResponseCookies(const ObjectRef&, const Text&) { return false; }

Text ResponseCookieValue(const ObjectRef&, const Text&) { return {}; }

Text SetCookieLines(const ObjectRef&) { return {}; }

}  // namespace kestrane
