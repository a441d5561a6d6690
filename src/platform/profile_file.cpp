#include "platform/profile_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <optional>

#include "platform/ascii.h"

namespace kestrane {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The name of a section line ("[name]"), or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    return TrimBlanks(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// The key of a key line ("key=value"), or nothing.
std::optional<std::string_view> KeyName(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(0, eq));
}

// A file descriptor closed on every way out.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }
    bool Close() {
        if (m_fd < 0) return true;
        const bool ok = ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<std::string> ReadAll(int fd) {
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool LockExclusive(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) {
    m_sections.emplace_back();  // the lines before the first header
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto lf = bytes.find('\n', at);
        Line line;
        if (lf == std::string_view::npos) {
            line.text = bytes.substr(at);
            at = bytes.size();
        } else {
            line.text = bytes.substr(at, lf - at);
            line.end = "\n";
            at = lf + 1;
        }
        if (!line.end.empty() && !line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r\n";
        }
        if (const auto name = SectionName(line.text)) {
            m_sectionIndex.try_emplace(MatchName(*name), m_sections.size());
            m_sections.emplace_back();
            m_sections.back().keysEnd = 1;
        }
        Section& section = m_sections.back();
        if (section.lines.empty() || !TrimBlanks(line.text).empty()) section.keysEnd = section.lines.size() + 1;
        section.lines.push_back(std::move(line));
    }
}

std::string ProfileFile::MatchName(std::string_view name) { return AsciiLower(TrimBlanks(name)); }

void ProfileFile::IndexKeys(Section& section) {
    if (section.indexed) return;
    for (std::size_t i = 1; i < section.lines.size(); ++i) {
        if (const auto key = KeyName(section.lines[i].text)) section.keys.try_emplace(AsciiLower(*key), i);
    }
    section.indexed = true;
}

bool ProfileFile::SetKey(const Text& section, const Text& key, const Text& value) {
    if (HasLineBreak(section.View()) || HasLineBreak(key.View()) || HasLineBreak(value.View())) return false;
    if (section.View().find(']') != std::string_view::npos || key.View().find('=') != std::string_view::npos) return false;
    if (TrimBlanks(key.View()).starts_with("[")) return false;
    std::string newLine = key.Str() + "=" + value.Str();

    if (m_sections.empty()) m_sections.emplace_back();
    const std::string sectionName = MatchName(section.View());
    auto found = m_sectionIndex.find(sectionName);
    if (found == m_sectionIndex.end()) {
        Section added;
        added.lines.push_back(Line{"[" + section.Str() + "]", "\r\n"});
        added.keysEnd = 1;
        added.indexed = true;
        found = m_sectionIndex.emplace(sectionName, m_sections.size()).first;
        m_sections.push_back(std::move(added));
    }
    Section& s = m_sections[found->second];
    // A section the file spells otherwise (another letter case) would take the
    // key, and a reader would find it under that other name.
    if (SectionName(s.lines.front().text) != TrimBlanks(section.View())) return false;
    IndexKeys(s);
    const std::string keyName = MatchName(key.View());
    if (const auto at = s.keys.find(keyName); at != s.keys.end()) {
        Line& line = at->second < s.lines.size() ? s.lines[at->second] : s.added[at->second - s.lines.size()];
        if (line.text != newLine) {
            line.text = std::move(newLine);
            m_changed = true;
        }
        return true;
    }
    s.keys.emplace(keyName, s.lines.size() + s.added.size());
    s.added.push_back(Line{std::move(newLine), "\r\n"});
    m_changed = true;
    return true;
}

std::string ProfileFile::Content() const {
    std::string out;
    const Line* previous = nullptr;
    // A line without an end (the file's last) gets one when anything follows it.
    const auto put = [&](const Line& line) {
        if (previous != nullptr) out += previous->end.empty() ? std::string("\r\n") : previous->end;
        out += line.text;
        previous = &line;
    };
    for (const Section& s : m_sections) {
        for (std::size_t i = 0; i < s.keysEnd && i < s.lines.size(); ++i) put(s.lines[i]);
        for (const Line& line : s.added) put(line);
        for (std::size_t i = s.keysEnd; i < s.lines.size(); ++i) put(s.lines[i]);
    }
    if (previous != nullptr) out += previous->end;
    return out;
}

bool WriteProfileKeys(const std::string& given, std::span<const ProfileKey> keys) {
    // A file reached through a symbolic link is the link's target: that file is
    // updated and the link stays a link.
    std::string path = given;
    struct stat st {};
    if (::lstat(given.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code error;
        path = std::filesystem::weakly_canonical(given, error).string();
        if (error) return false;
    }
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;

    const Fd lock(::open((path + ".kestrane-lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.Get() < 0 || !LockExclusive(lock.Get())) return false;

    std::string old;
    mode_t mode = 0600;
    std::optional<std::pair<uid_t, gid_t>> owner;
    {
        const Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (in.Get() < 0) {
            if (errno != ENOENT) return false;
        } else {
            if (::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
            auto bytes = ReadAll(in.Get());
            if (!bytes) return false;
            old = std::move(*bytes);
            mode = st.st_mode & 07777;
            owner.emplace(st.st_uid, st.st_gid);
        }
    }
    ProfileFile file(old);
    bool allTaken = true;
    for (const ProfileKey& k : keys) allTaken = file.SetKey(k.section, k.key, k.value) && allTaken;
    if (!file.Changed()) return allTaken;

    std::string temp = path + ".XXXXXX";
    Fd out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.Get() < 0) return false;
    // Same owner and permission bits as the file replaced; a new file is the
    // owner's alone. A save by root that cannot give the file back to its
    // owner does not take it over.
    const bool owned = !owner || ::geteuid() != 0 || ::fchown(out.Get(), owner->first, owner->second) == 0;
    const bool written = owned && ::fchmod(out.Get(), mode) == 0 && WriteAll(out.Get(), file.Content()) &&
                         ::fsync(out.Get()) == 0;
    if (!out.Close() || !written || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    const Fd dir(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const bool synced = dir.Get() >= 0 && ::fsync(dir.Get()) == 0;
    return synced && allTaken;
}

bool WriteProfileString(const std::string& path, const Text& section, const Text& key, const Text& value) {
    const ProfileKey k{section, key, value};
    return WriteProfileKeys(path, std::span(&k, 1));
}

}  // namespace kestrane
