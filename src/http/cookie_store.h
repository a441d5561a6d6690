#pragma once

// CookieStore: cookies kept as (host, name, value) entries, with the list of
// hosts the store has seen, and an INI-style file form (one section per host,
// one "name=value" line per cookie). Hosts and names compare byte for byte;
// every lookup walks from the first entry and the first fit wins.

#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"

namespace kestrane {

struct CookieEntry {
    Text host;
    Text name;
    Text value;
    friend bool operator==(const CookieEntry&, const CookieEntry&) = default;
};

class CookieStore {
public:
    CookieStore() = default;
    // A copy is independent: its own entries and hosts.
    CookieStore(const CookieStore&) = default;
    CookieStore& operator=(const CookieStore&) = delete;
    virtual ~CookieStore() = default;

    virtual std::unique_ptr<CookieStore> Copy() const;
    // Adds the cookie, or replaces the value of the one with that host and
    // name. False (and no change) when `host` or `name` is blank.
    virtual bool SetCookie(const Text& host, const Text& name, const Text& value);
    // The value; empty when there is no such cookie or host or name is blank.
    virtual Text GetCookie(const Text& host, const Text& name) const;
    // Removes the cookies of `host` named `name` (onlyThisName) or all of them,
    // and then the host from the host list too. False when `host` is blank.
    virtual bool DeleteCookies(const Text& host, const Text& name, bool onlyThisName);
    // Removes every entry; the host list stays.
    virtual void ClearCookies();
    // Items in the host list, repeats included.
    virtual int HostCount() const;
    virtual int CookieCount(const Text& host, bool ofHostOnly) const;
    // Replaces `hosts` by a copy of the host list; returns its size.
    virtual int GetHosts(std::vector<Text>& hosts) const;
    // Replaces `names` by the names of `host`'s cookies; returns their number.
    virtual int GetCookieNames(const Text& host, std::vector<Text>& names) const;
    // Reads INI-style lines from a file; false when it cannot be opened.
    virtual bool LoadFromFile(const Text& fileName);
    // Writes every entry as a key of its host's section, keeping what else the
    // file holds. False when `fileName` is blank or a key could not be
    // written (the file then keeps its last good content).
    virtual bool SaveToFile(const Text& fileName);
    // Reads INI-style lines from a text split at CR LF; false when it has none.
    virtual bool LoadFromText(const Text& text);

    const std::vector<CookieEntry>& Entries() const { return m_entries; }

private:
    void ReadLine(const Text& line, Text& section);

    std::vector<CookieEntry> m_entries;
    std::vector<Text> m_hosts;
};

// The program-wide store: created empty at start-up, destroyed by the exit step.
inline std::unique_ptr<CookieStore> GlobalCookieStore;

}  // namespace kestrane
