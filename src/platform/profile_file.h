#pragma once

// INI-style files ("profile" files): sections of key=value lines. Files are
// bytes in the ANSI code page, read and written unconverted.

#include <string>
#include <vector>

#include "platform/text.h"

namespace kestrane {

// An INI file held in memory for a batch of key writes, then written back in
// one piece. Each key write behaves as the system's private-profile write:
// a missing section is added at the end, a key that is there gets its value
// replaced in place, a new key goes at the end of its section, every other
// line stays as it was, and sections and keys match without regard to ASCII
// letter case.
class ProfileFile {
public:
    // Reads `path`; a missing file starts empty.
    explicit ProfileFile(std::string path);

    // Sets section/key to value. Refuses (false) a section, key or value with
    // a CR or LF, and a key that would read back as a section line ("[..."):
    // either would break the file's structure when it is read again.
    bool SetKey(const Text& section, const Text& key, const Text& value);

    // Writes the file if anything changed: into a new file beside it, flushed
    // to disk, then renamed over the old one, so that a crash or a full disk
    // never leaves a half-written file. False when that failed.
    bool Save();

    const std::string& Content() const { return m_content; }

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n" or "" for a last line without one
    };

    std::string m_path;
    std::vector<Line> m_lines;
    std::string m_content;
    bool m_dirty = false;
};

// One key write on the file at `path`, as WritePrivateProfileString does it.
bool WriteProfileString(const std::string& path, const Text& section, const Text& key, const Text& value);

}  // namespace kestrane
