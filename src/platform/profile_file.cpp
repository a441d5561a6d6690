#include "platform/profile_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

namespace kestrane {

namespace {

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string_view TrimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) { return Text(a).Lower() == Text(b).Lower(); }

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

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)) {
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto lf = bytes.find('\n', at);
        Line line;
        if (lf == std::string::npos) {
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
        m_lines.push_back(std::move(line));
    }
    m_content = bytes;
}

bool ProfileFile::SetKey(const Text& section, const Text& key, const Text& value) {
    if (HasLineBreak(section.View()) || HasLineBreak(key.View()) || HasLineBreak(value.View())) return false;
    if (TrimBlanks(key.View()).starts_with("[")) return false;
    const std::string newLine = key.Str() + "=" + value.Str();

    std::size_t i = 0;
    bool inSection = false;
    std::size_t sectionEnd = 0;  // index after the last non-blank line of the section
    for (; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines[i].text);
        if (name) {
            if (inSection) break;
            if (SameIgnoringCase(*name, TrimBlanks(section.View()))) {
                inSection = true;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (const auto k = KeyName(m_lines[i].text); k && SameIgnoringCase(*k, TrimBlanks(key.View()))) {
            if (m_lines[i].text != newLine) {
                m_lines[i].text = newLine;
                m_dirty = true;
            }
            return true;
        }
        if (!TrimBlanks(m_lines[i].text).empty()) sectionEnd = i + 1;
    }
    // The line before anything we add must end, or the two would run together.
    auto endLastLine = [this](std::size_t upTo) {
        if (upTo > 0 && m_lines[upTo - 1].end.empty()) m_lines[upTo - 1].end = "\r\n";
    };
    if (inSection) {
        endLastLine(sectionEnd);
        m_lines.insert(m_lines.begin() + static_cast<long>(sectionEnd), Line{newLine, "\r\n"});
    } else {
        endLastLine(m_lines.size());
        m_lines.push_back(Line{"[" + section.Str() + "]", "\r\n"});
        m_lines.push_back(Line{newLine, "\r\n"});
    }
    m_dirty = true;
    return true;
}

bool ProfileFile::Save() {
    if (!m_dirty) return true;
    std::string content;
    for (const Line& line : m_lines) content += line.text + line.end;

    const std::string temp = m_path + ".kestrane-tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), m_path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    m_content = std::move(content);
    m_dirty = false;
    return true;
}

bool WriteProfileString(const std::string& path, const Text& section, const Text& key, const Text& value) {
    ProfileFile file(path);
    return file.SetKey(section, key, value) && file.Save();
}

}  // namespace kestrane
