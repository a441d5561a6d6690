#include "http/cookie_store.h"

#include <algorithm>
#include <fstream>

#include "platform/profile_file.h"

namespace kestrane {

std::unique_ptr<CookieStore> CookieStore::Copy() const { return std::make_unique<CookieStore>(*this); }

bool CookieStore::SetCookie(const Text& host, const Text& name, const Text& value) {
    if (name.IsBlank() || host.IsBlank()) return false;
    bool hostKnown = false;
    for (CookieEntry& e : m_entries) {
        if (e.host != host) continue;
        hostKnown = true;
        if (e.name != name) continue;
        e.value = value;
        return true;
    }
    m_entries.push_back({host, name, value});
    if (!hostKnown) m_hosts.push_back(host);
    return true;
}

Text CookieStore::GetCookie(const Text& host, const Text& name) const {
    if (name.IsBlank() || host.IsBlank()) return {};
    for (const CookieEntry& e : m_entries) {
        if (e.host == host && e.name == name) return e.value;
    }
    return {};
}

bool CookieStore::DeleteCookies(const Text& host, const Text& name, bool onlyThisName) {
    if (host.IsBlank()) return false;
    std::erase_if(m_entries, [&](const CookieEntry& e) { return e.host == host && (!onlyThisName || e.name == name); });
    if (!onlyThisName) std::erase(m_hosts, host);
    return true;
}

void CookieStore::ClearCookies() { m_entries.clear(); }

int CookieStore::HostCount() const { return static_cast<int>(m_hosts.size()); }

int CookieStore::CookieCount(const Text& host, bool ofHostOnly) const {
    if (!ofHostOnly) return static_cast<int>(m_entries.size());
    return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(), [&](const CookieEntry& e) { return e.host == host; }));
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
    ProfileFile file(fileName.Str());
    bool allWritten = true;
    for (const CookieEntry& e : m_entries) allWritten = file.SetKey(e.host, e.name, e.value) && allWritten;
    return file.Save() && allWritten;
}

bool CookieStore::LoadFromText(const Text& text) {
    const std::vector<Text> lines = text.Split("\r\n");
    if (lines.empty()) return false;
    Text section;
    for (const Text& line : lines) ReadLine(line, section);
    return true;
}

}  // namespace kestrane
