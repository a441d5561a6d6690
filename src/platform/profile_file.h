#pragma once

// INI-style files ("profile" files): sections of key=value lines. Files are
// bytes in the ANSI code page, read and written unconverted.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text.h"

namespace kestrane {

// An INI file held in memory for a batch of key writes. Each key write
// behaves as the system's private-profile write: a missing section is added
// at the end, a key that is there gets its value replaced in place, a new key
// goes after the last non-blank line of its section, every other line stays
// as it was, and sections and keys match without regard to ASCII letter case
// or surrounding blanks. A key write costs the same however large the file.
class ProfileFile {
public:
    ProfileFile() = default;
    // The file whose bytes are `content`.
    explicit ProfileFile(std::string_view content);

    // Sets section/key to value. Refuses (false) a section, key or value with
    // a CR or LF, a section holding "]", a key holding "=" and a key that
    // would read back as a section line ("[..."): each would change the
    // file's structure or land under another name when it is read again.
    bool SetKey(const Text& section, const Text& key, const Text& value);

    // True once a key write changed the content.
    bool Changed() const { return m_changed; }
    std::string Content() const;

    // The form under which a section or key name is matched.
    static std::string MatchName(std::string_view name);

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n" or "" for a last line without one
    };
    struct Section {
        std::vector<Line> lines;        // the header line first (none for the lines before any header)
        std::size_t keysEnd = 0;        // new keys go before this line: after the last non-blank one
        std::vector<Line> added;        // new keys, in the order written
        std::unordered_map<std::string, std::size_t> keys;  // match name -> line (added ones after `lines`)
        bool indexed = false;
    };
    void IndexKeys(Section& section);

    std::vector<Section> m_sections;  // the first holds what comes before any header
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // first section of each match name
    bool m_changed = false;
};

struct ProfileKey {
    Text section;
    Text key;
    Text value;
};

// Writes `keys` into the INI file at `path` as ProfileFile::SetKey does,
// holding an advisory lock (on "<path>.kestrane-lock") from the read to the
// rename so that concurrent writers, threads or processes, never lose each
// other's keys. The new content goes into a uniquely named file created
// exclusively beside `path` (never through a symlink), gets the old file's
// permission bits (owner read/write only for a new file), is synced, renamed
// over `path`, and the directory is synced. Readers see the old or the new
// file, never a part. False when `path` is not a regular file, the file could
// not be read or written (it then keeps its old content), or a key was
// refused (the others are written).
bool WriteProfileKeys(const std::string& path, std::span<const ProfileKey> keys);

// One key write on the file at `path`, as WritePrivateProfileString does it.
bool WriteProfileString(const std::string& path, const Text& section, const Text& key, const Text& value);

}  // namespace kestrane
