#include "http/cookie_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <unordered_set>

#include "platform/profile_file.h"

namespace kestrane {

namespace {

std::string IndexKey(const Text& host, const Text& name) { return host.Str() + '\0' + name.Str(); }

bool BeginsWithSpace(const Text& t) { return t.At(1) == ' ' || t.View().starts_with("\xA1\xA1"); }
bool EndsWithSpace(const Text& t) { return t.View().ends_with(' ') || t.View().ends_with("\xA1\xA1"); }

// True when the line "name=value" under the section line "[host]" reads back
// as this very cookie.
bool ReadsBackAsItIs(const CookieEntry& e) {
    const auto clean = [](const Text& t) { return t.View().find_first_of("\r\n\x1A") == std::string_view::npos; };
    if (!clean(e.host) || !clean(e.name) || !clean(e.value)) return false;
    if (e.host.View().find(']') != std::string_view::npos) return false;
    if (e.name.View().find('=') != std::string_view::npos || e.name.At(1) == '[' || BeginsWithSpace(e.name)) return false;
    return !EndsWithSpace(e.value);
}

}  // namespace

bool CookieStore::SetCookie(const Text& host, const Text& name, const Text& value) {
    if (name.IsBlank() || host.IsBlank()) return false;
    if (const auto it = m_index.find(IndexKey(host, name)); it != m_index.end()) {
        m_entries[it->second].value = value;
        return true;
    }
    const auto perHost = m_perHost.find(host.Str());
    const int ofHost = perHost == m_perHost.end() ? 0 : perHost->second;
    if (ofHost >= kMaxCookiesPerHost || static_cast<int>(m_entries.size()) >= kMaxCookies) return false;
    m_index.emplace(IndexKey(host, name), m_entries.size());
    m_entries.push_back({host, name, value});
    ++m_perHost[host.Str()];
    if (ofHost == 0) m_hosts.push_back(host);
    return true;
}

Text CookieStore::GetCookie(const Text& host, const Text& name) const {
    if (name.IsBlank() || host.IsBlank()) return {};
    const auto it = m_index.find(IndexKey(host, name));
    return it == m_index.end() ? Text() : m_entries[it->second].value;
}

void CookieStore::Reindex() {
    m_index.clear();
    m_perHost.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        m_index.emplace(IndexKey(m_entries[i].host, m_entries[i].name), i);
        ++m_perHost[m_entries[i].host.Str()];
    }
}

bool CookieStore::DeleteCookies(const Text& host, const Text& name, bool onlyThisName) {
    if (host.IsBlank()) return false;
    std::erase_if(m_entries, [&](const CookieEntry& e) { return e.host == host && (!onlyThisName || e.name == name); });
    if (!onlyThisName) std::erase(m_hosts, host);
    Reindex();
    return true;
}

void CookieStore::ClearCookies() {
    m_entries.clear();
    Reindex();
}

int CookieStore::HostCount() const { return static_cast<int>(m_hosts.size()); }

int CookieStore::CookieCount(const Text& host, bool ofHostOnly) const {
    if (!ofHostOnly) return static_cast<int>(m_entries.size());
    const auto it = m_perHost.find(host.Str());
    return it == m_perHost.end() ? 0 : it->second;
}

int CookieStore::GetHosts(std::vector<Text>& hosts) const {
    hosts = m_hosts;
    return HostCount();
}

int CookieStore::GetCookieNames(const Text& host, std::vector<Text>& names) const {
    names.clear();
    for (const CookieEntry& e : m_entries) {
        if (e.host == host) names.push_back(e.name);
    }
    return static_cast<int>(names.size());
}

void CookieStore::ReadLine(const Text& line, Text& section) {
    if (line.IsBlank()) return;
    const Text trimmed = line.Trimmed();
    if (trimmed.At(1) == '[') {
        section = trimmed.Mid(2, trimmed.Length() - 2);
        return;
    }
    const int eq = trimmed.Find("=");
    if (eq == -1) return;
    SetCookie(section, trimmed.Left(eq - 1), trimmed.Mid(eq + 1, trimmed.Length()));
}

bool CookieStore::LoadFromFile(const Text& fileName) {
    struct stat st {};
    if (::stat(fileName.CStr(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
    std::ifstream in(fileName.Str(), std::ios::binary);
    if (!in) return false;
    Text section;
    std::string raw;
    // At least one line is read: an empty file gives one empty line.
    do {
        raw.clear();
        std::getline(in, raw);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        // A NUL or 0x1A byte ends the line's text; reading goes on with the next line.
        if (const auto stop = raw.find_first_of(std::string_view("\0\x1A", 2)); stop != std::string::npos) {
            raw.resize(stop);
        }
        ReadLine(Text(raw), section);
    } while (in && !in.eof());
    return true;
}

bool CookieStore::SaveToFile(const Text& fileName) {
    if (fileName.IsBlank()) return false;
    if (m_entries.empty()) return true;  // no key to write, so no file is made
    // The file matches sections and keys without regard to letter case: a
    // second host or name that would fall on an earlier one's line is refused.
    std::unordered_map<std::string, const Text*> hostOfSection;
    std::unordered_set<std::string> keysTaken;
    std::vector<ProfileKey> keys;
    keys.reserve(m_entries.size());
    bool allTaken = true;
    for (const CookieEntry& e : m_entries) {
        const std::string section = ProfileFile::MatchName(e.host.View());
        const auto [owner, fresh] = hostOfSection.try_emplace(section, &e.host);
        const bool sameHost = fresh || *owner->second == e.host;
        if (!ReadsBackAsItIs(e) || !sameHost || !keysTaken.insert(section + '\0' + ProfileFile::MatchName(e.name.View())).second) {
            allTaken = false;
            continue;
        }
        keys.push_back({e.host, e.name, e.value});
    }
    return WriteProfileKeys(fileName.Str(), keys) && allTaken;
}

bool CookieStore::LoadFromText(const Text& text) {
    const std::vector<Text> lines = text.Split("\r\n");
    if (lines.empty()) return false;
    Text section;
    for (const Text& line : lines) ReadLine(line, section);
    return true;
}

}  // namespace kestrane
