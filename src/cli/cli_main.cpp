// kestrane-cli: the window's parse for scripts, terminals and download
// managers. Each address is parsed by the same parse command on one
// in-memory window; the seven outputs are printed in UTF-8.

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/output_format.h"
#include "cli/parse_result.h"
#include "http/cookie_store.h"
#include "platform/automation/component_library.h"
#include "platform/runtime_error.h"

namespace {

using namespace kestrane;

std::string TrimWhite(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

// A form of `s` that is safe to show on a terminal.
std::string Printable(const std::string& s) {
    std::string out;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

class ProgressLine {
public:
    ProgressLine(bool enabled, std::size_t total) : m_enabled(enabled), m_total(total) {}
    void Show(std::size_t index, const std::string& address) {
        if (!m_enabled) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", index + 1, m_total, Printable(address).c_str());
        std::fflush(stderr);
    }
    void Clear() {
        if (!m_enabled) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }

private:
    bool m_enabled;
    std::size_t m_total;
};

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "kestrane-cli: %s\n%s", error.c_str(), kCliUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(kCliHelp, stdout);
        return 0;
    }

    std::vector<std::string> addresses = options->addresses;
    if (options->readStdin || (addresses.empty() && !isatty(STDIN_FILENO))) {
        for (std::string line; std::getline(std::cin, line);) {
            if (std::string address = TrimWhite(line); !address.empty()) addresses.push_back(std::move(address));
        }
    } else if (addresses.empty()) {
        std::fputs(kCliUsage, stderr);
        return 2;
    }

    InitializeComponentLibrary();
    GlobalCookieStore = std::make_unique<CookieStore>();
    RegisterExitStep([] { GlobalCookieStore.reset(); });

    const bool batch = addresses.size() > 1;
    ProgressLine progress(batch && isatty(STDERR_FILENO), addresses.size());
    MemoryWindow window;
    bool skipped = false;
    std::size_t parsed = 0;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const std::string& address = addresses[i];
        if (const std::string problem = AddressProblem(address); !problem.empty()) {
            progress.Clear();
            std::fprintf(stderr, "kestrane-cli: skipped \"%s\": %s\n", Printable(address).c_str(), problem.c_str());
            skipped = true;
            continue;
        }
        progress.Show(i, address);
        const ParseResult result = ParseShare(window, address);
        std::string out;
        switch (options->format) {
            case OutputFormat::kPlain: out = FormatPlain(result, batch, parsed); break;
            case OutputFormat::kJson: out = FormatJson(result, batch); break;
            case OutputFormat::kAria2: out = FormatAria2(result); break;
        }
        progress.Clear();
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
        ++parsed;
    }
    progress.Clear();
    RunExitSteps();
    return skipped ? 1 : 0;
}
