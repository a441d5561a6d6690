#pragma once

// Text: a byte string in the system ANSI code page (GBK), with the program's
// 1-based operations. Bytes: a counted byte string that may hold zero bytes.
//
// A Text never holds a zero byte: whatever would put one in keeps the bytes
// before it. The absent text and the empty text are one value.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

class Bytes;

class Text {
public:
    Text() = default;
    // Takes the bytes of `raw` before its first zero byte, unconverted.
    Text(const char* raw);  // NOLINT(google-explicit-constructor): literals are plain ASCII Text
    explicit Text(std::string_view raw);

    // Converts UTF-8 source text (the program's own captions) into the ANSI code page.
    static Text FromUtf8(std::string_view utf8);

    int Length() const { return static_cast<int>(m_bytes.size()); }
    bool IsEmpty() const { return m_bytes.empty(); }
    std::string_view View() const { return m_bytes; }
    const std::string& Str() const { return m_bytes; }
    const char* CStr() const { return m_bytes.c_str(); }
    // The byte at 1-based position `pos`; 0 outside the text.
    unsigned char At(int pos) const;

    Text Left(int n) const;
    Text Right(int n) const;
    Text Mid(int start, int n) const;

    // Position of the first occurrence of `needle` at or after `start` (1-based),
    // never beginning on the second byte of a double-byte character; -1 when none.
    // An empty needle is found at `start` when that is a character boundary.
    int Find(const Text& needle, int start = 1) const;
    bool StartsWith(const Text& prefix) const;

    Text Upper() const;
    Text Lower() const;
    Text Trimmed() const;
    bool IsBlank() const;
    std::vector<Text> Split(const Text& separator) const;

    Bytes ToBytes() const;

    Text& operator+=(const Text& other);
    friend Text operator+(Text a, const Text& b) { return a += b; }
    friend bool operator==(const Text& a, const Text& b) = default;

private:
    std::string m_bytes;
};

// Writes the text converted to UTF-8 (for logs and test failures).
std::ostream& operator<<(std::ostream& os, const Text& text);

// True for a byte that starts a double-byte character in GBK.
constexpr bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::string data) : m_data(std::move(data)) {}
    Bytes(const void* data, std::size_t size) : m_data(static_cast<const char*>(data), size) {}

    std::size_t Size() const { return m_data.size(); }
    bool IsEmpty() const { return m_data.empty(); }
    const std::string& Str() const { return m_data; }
    std::string& Str() { return m_data; }
    const unsigned char* Data() const { return reinterpret_cast<const unsigned char*>(m_data.data()); }
    void Append(const void* data, std::size_t size) { m_data.append(static_cast<const char*>(data), size); }
    void Push(unsigned char b) { m_data.push_back(static_cast<char>(b)); }

    // The bytes before the first zero byte, without code-page conversion.
    Text ToText() const { return Text(std::string_view(m_data)); }

    friend bool operator==(const Bytes& a, const Bytes& b) = default;

private:
    std::string m_data;
};

}  // namespace kestrane
