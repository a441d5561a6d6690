#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "platform/code_page.h"

namespace kestrane {

namespace {

// Length in bytes of the character that starts at 0-based index `i`.
int CharLength(std::string_view s, std::size_t i) {
    return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

bool IsSpaceAt(std::string_view s, std::size_t i) {
    if (s[i] == ' ') return true;
    return i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xA1 &&
           static_cast<unsigned char>(s[i + 1]) == 0xA1;
}

template <class Change>
std::string MapAsciiLetters(std::string_view s, Change change) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        const int n = CharLength(out, i);
        if (n == 1) out[i] = change(out[i]);
        i += static_cast<std::size_t>(n);
    }
    return out;
}

}  // namespace

Text::Text(const char* raw) {
    if (raw != nullptr) m_bytes = raw;
}

Text::Text(std::string_view raw) : m_bytes(raw.substr(0, std::min(raw.find('\0'), raw.size()))) {}

Text Text::FromUtf8(std::string_view utf8) { return Utf8ToAnsi(utf8); }

unsigned char Text::At(int pos) const {
    if (pos < 1 || pos > Length()) return 0;
    return static_cast<unsigned char>(m_bytes[static_cast<std::size_t>(pos - 1)]);
}

Text Text::Left(int n) const {
    if (n <= 0) return {};
    return Text(std::string_view(m_bytes).substr(0, static_cast<std::size_t>(n)));
}

Text Text::Right(int n) const {
    if (n <= 0) return {};
    const std::size_t keep = std::min(static_cast<std::size_t>(n), m_bytes.size());
    return Text(std::string_view(m_bytes).substr(m_bytes.size() - keep));
}

Text Text::Mid(int start, int n) const {
    if (start < 1 || start > Length() || n <= 0) return {};
    return Text(std::string_view(m_bytes).substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

int Text::Find(const Text& needle, int start) const {
    if (start < 1) start = 1;
    const std::string_view hay = m_bytes;
    const std::string_view pin = needle.m_bytes;
    if (pin.empty()) return start <= Length() + 1 ? start : -1;
    const std::size_t from = static_cast<std::size_t>(start - 1);
    // Walk character by character from the beginning: only there do we know
    // where the double-byte characters start.
    std::size_t i = 0;
    while (i + pin.size() <= hay.size()) {
        if (i >= from && hay.compare(i, pin.size(), pin) == 0) return static_cast<int>(i) + 1;
        i += static_cast<std::size_t>(CharLength(hay, i));
    }
    return -1;
}

bool Text::StartsWith(const Text& prefix) const { return m_bytes.starts_with(prefix.m_bytes); }

Text Text::Upper() const {
    return Text(MapAsciiLetters(m_bytes, [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }));
}

Text Text::Lower() const {
    return Text(MapAsciiLetters(m_bytes, [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }));
}

Text Text::Trimmed() const {
    const std::string_view s = m_bytes;
    std::size_t first = s.size();  // start of the first non-space character
    std::size_t last = 0;          // end of the last non-space character
    for (std::size_t i = 0; i < s.size();) {
        const int n = CharLength(s, i);
        if (!IsSpaceAt(s, i)) {
            first = std::min(first, i);
            last = i + static_cast<std::size_t>(n);
        }
        i += static_cast<std::size_t>(n);
    }
    if (first >= last) return {};
    return Text(s.substr(first, last - first));
}

bool Text::IsBlank() const { return Trimmed().IsEmpty(); }

std::vector<Text> Text::Split(const Text& separator) const {
    std::vector<Text> pieces;
    if (IsEmpty()) return pieces;
    if (separator.IsEmpty()) {
        pieces.push_back(*this);
        return pieces;
    }
    // One walk over the characters, finding each separator as Find would.
    const std::string_view s = m_bytes;
    const std::string_view sep = separator.m_bytes;
    std::size_t pieceStart = 0;
    for (std::size_t i = 0; i + sep.size() <= s.size();) {
        if (s.compare(i, sep.size(), sep) != 0) {
            i += static_cast<std::size_t>(CharLength(s, i));
            continue;
        }
        pieces.emplace_back(s.substr(pieceStart, i - pieceStart));
        pieceStart = i + sep.size();
        while (i < pieceStart) i += static_cast<std::size_t>(CharLength(s, i));
    }
    if (pieceStart < s.size()) pieces.emplace_back(s.substr(pieceStart));
    return pieces;
}

std::ostream& operator<<(std::ostream& os, const Text& text) { return os << AnsiToUtf8(text); }

Bytes Text::ToBytes() const { return Bytes(m_bytes); }

Text& Text::operator+=(const Text& other) {
    m_bytes += other.m_bytes;
    return *this;
}

}  // namespace kestrane
