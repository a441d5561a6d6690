// CookieStore::LoadFromText on arbitrary text, then a save and a load: the
// saved file holds every cookie that could be written, and nothing else; a
// save that reports true gives every cookie back as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "http/cookie_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    CookieStore store;
    store.LoadFromText(Bytes(data, size).ToText());
    static const std::string path = "/tmp/kestrane-fuzz-cookies-" + std::to_string(::getpid()) + ".ini";
    std::remove(path.c_str());
    const bool saved = store.SaveToFile(Text(path));
    CookieStore back;
    back.LoadFromFile(Text(path));
    if (saved && back.CookieCount(Text(), false) > store.CookieCount(Text(), false)) __builtin_trap();
    if (saved) {
        for (const CookieEntry& e : store.Entries()) {
            if (back.GetCookie(e.host, e.name) != e.value || back.CookieCount(e.host, true) != store.CookieCount(e.host, true)) {
                __builtin_trap();
            }
        }
    }
    std::remove((path + ".kestrane-lock").c_str());
    std::remove(path.c_str());
    return 0;
}
