#pragma once

// The share-page download: one HTTP GET with the program's browser identity.

#include "platform/text.h"

namespace kestrane {

// The body of the response to a GET of `url` (any status), or empty Bytes when
// nothing could be fetched. Everything from the first "#" is dropped; only
// http and https urls give a page. A read that fails part-way, runs into a
// time limit or reaches the size cap returns the bytes read so far (see NetworkLimits).
Bytes FetchPageBytes(const Text& url);

}  // namespace kestrane
