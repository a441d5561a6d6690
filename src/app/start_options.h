#pragma once

// The window program's own command-line options. Everything else on the
// command line belongs to Qt (-platform, -style, ...), which reads it later.

#include <string>

namespace kestrane {

enum class StartRequest { kOpenWindow, kPrintVersion, kPrintHelp };

// --version prints the version, -h/--help the usage; both win over opening
// the window. Arguments after "--" are not looked at.
StartRequest ReadStartRequest(int argc, const char* const* argv);

// "kestrane <version>\n".
std::string VersionText();

// The usage text, ending in a newline.
std::string HelpText();

}  // namespace kestrane
