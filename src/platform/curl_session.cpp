#include "platform/curl_session.h"

namespace kestrane {

CurlEasy MakeCurlEasy() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised) return nullptr;
    return CurlEasy(curl_easy_init());
}

void AppendHeader(CurlSlist& list, const char* header) {
    if (curl_slist* grown = curl_slist_append(list.get(), header)) {
        (void)list.release();
        list.reset(grown);
    }
}

}  // namespace kestrane
