#pragma once

// CookieStore: cookies kept as (host, name, value) entries, with the list of
// hosts the store has seen, and an INI-style file form (one section per host,
// one "name=value" line per cookie). Hosts and names compare byte for byte;
// every lookup walks from the first entry and the first fit wins.

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/text.h"

namespace kestrane {

struct CookieEntry {
    Text host;
    Text name;
    Text value;
    friend bool operator==(const CookieEntry&, const CookieEntry&) = default;
};

// The store holds at most this many cookies per host and in all; a cookie
// beyond either cap is refused (an existing cookie's value can always change).
inline constexpr int kMaxCookiesPerHost = 1000;
inline constexpr int kMaxCookies = 50'000;

// A value type: a copy is independent, with its own entries and hosts.
class CookieStore {
public:
    // Adds the cookie, or replaces the value of the one with that host and
    // name. False (and no change) when `host` or `name` is blank, or when a
    // new cookie would pass kMaxCookiesPerHost or kMaxCookies.
    bool SetCookie(const Text& host, const Text& name, const Text& value);
    // The value; empty when there is no such cookie or host or name is blank.
    Text GetCookie(const Text& host, const Text& name) const;
    // Removes the cookies of `host` named `name` (onlyThisName) or all of them,
    // and then the host from the host list too. False when `host` is blank.
    bool DeleteCookies(const Text& host, const Text& name, bool onlyThisName);
    // Removes every entry; the host list stays.
    void ClearCookies();
    // Items in the host list, repeats included.
    int HostCount() const;
    int CookieCount(const Text& host, bool ofHostOnly) const;
    // Replaces `hosts` by a copy of the host list; returns its size.
    int GetHosts(std::vector<Text>& hosts) const;
    // Replaces `names` by the names of `host`'s cookies; returns their number.
    int GetCookieNames(const Text& host, std::vector<Text>& names) const;
    // Reads INI-style lines from a file; false when it cannot be opened or
    // is a directory.
    bool LoadFromFile(const Text& fileName);
    // Writes every entry as a key of its host's section, keeping what else the
    // file holds (see WriteProfileKeys for how the file is replaced). False
    // when `fileName` is blank or not a regular file, the file could not be
    // written (it then keeps its last good content), or a cookie was refused
    // because it would not read back as it is: a host holding "]", a name
    // beginning with a space or "[" or holding "=", a value ending in a space,
    // a CR, LF or 0x1A byte anywhere, or a host or name that the file would
    // merge with an earlier one (they match without regard to letter case).
    // The other cookies are written. Takes time linear in the number of
    // cookies and the file's size.
    bool SaveToFile(const Text& fileName);
    // Reads INI-style lines from a text split at CR LF; false when it has none.
    bool LoadFromText(const Text& text);

    const std::vector<CookieEntry>& Entries() const { return m_entries; }

private:
    void ReadLine(const Text& line, Text& section);
    void Reindex();

    std::vector<CookieEntry> m_entries;
    std::vector<Text> m_hosts;
    // Lookups by host and name, and cookies per host, kept beside the entries.
    std::unordered_map<std::string, std::size_t> m_index;
    std::unordered_map<std::string, int> m_perHost;
};

// The program-wide store: created empty at start-up, destroyed by the exit step.
inline std::unique_ptr<CookieStore> GlobalCookieStore;

}  // namespace kestrane
