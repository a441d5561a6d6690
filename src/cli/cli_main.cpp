// kestrane-cli: the window's parse for scripts, terminals and download
// managers. Each address is parsed by the same parse command on an in-memory
// window, up to --jobs of them at once, each worker with a window of its own;
// the seven outputs are printed in UTF-8, in input order.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cli/aria2_rpc.h"
#include "cli/cli_options.h"
#include "cli/ordered_batch.h"
#include "cli/output_format.h"
#include "cli/parse_result.h"
#include "cli/pasted_address.h"
#include "cli/terminal_text.h"
#include "http/cookie_store.h"
#include "kestrane/version.h"
#include "platform/automation/component_library.h"
#include "platform/curl_session.h"
#include "platform/runtime_error.h"

namespace {

using namespace kestrane;

enum ExitStatus : int {
    kAllLinked = 0,
    kSkipped = 1,
    kWrongUsage = 2,
    kSomeWithoutLink = 3,
    kAria2Failed = 4,
    kOutputFailed = 5,
};

std::string TrimWhite(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

// What a report says of its subject: enough to find the line, never a
// megabyte of pasted text echoed back.
std::string Shortened(std::string text) {
    constexpr std::size_t kMost = 300;
    if (text.size() <= kMost) return text;
    std::size_t cut = kMost;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    text.resize(cut);
    return text + "…";
}

void Report(const std::string& subject, const std::string& message) {
    std::fprintf(stderr, "kestrane-cli: %s: %s\n", Shortened(TerminalSafe(subject)).c_str(), TerminalSafe(message).c_str());
}

// A "[3/10] <address>" line on standard error, kept up to date while a batch
// runs; only on a terminal that can take it.
class ProgressLine {
public:
    ProgressLine(bool enabled, std::size_t total) : m_enabled(enabled), m_total(total) {}
    void Show(std::size_t index, const std::string& address) {
        if (!m_enabled) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", index + 1, m_total, TerminalSafe(address).c_str());
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

bool TerminalTakesProgress() {
    if (!isatty(STDERR_FILENO)) return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

// One address of the batch: the text as given, what was found in it, and the
// parse once a worker has done it. Until a parse fills it in, an entry counts
// as one without a link.
struct BatchEntry {
    std::string given;
    PastedAddress pasted;
    ParseResult result;
    std::string aria2Error;
};

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "kestrane-cli: %s\n%s", TerminalSafe(error).c_str(), kCliUsage);
        return kWrongUsage;
    }
    if (options->help) {
        std::fputs(kCliHelp, stdout);
        return kAllLinked;
    }
    if (options->version) {
        std::printf("kestrane-cli %s\n", kVersion);
        return kAllLinked;
    }

    std::vector<std::string> given = options->addresses;
    if (options->readStdin || (given.empty() && !isatty(STDIN_FILENO))) {
        // POSIX getline rather than iostreams: loading the stream machinery
        // costs a tenth of a millisecond and 0.4 MB at every start.
        char* buffer = nullptr;
        std::size_t capacity = 0;
        for (ssize_t length; (length = ::getline(&buffer, &capacity, stdin)) >= 0;) {
            std::string line(buffer, static_cast<std::size_t>(length));
            if (!line.empty() && line.back() == '\n') line.pop_back();
            if (std::string text = TrimWhite(line); !text.empty()) given.push_back(std::move(text));
        }
        std::free(buffer);
    } else if (given.empty()) {
        std::fputs(kCliUsage, stderr);
        return kWrongUsage;
    }

    std::vector<BatchEntry> entries(given.size());
    for (std::size_t i = 0; i < given.size(); ++i) {
        entries[i].given = given[i];
        entries[i].pasted = ExtractShareAddress(given[i]);
        entries[i].result.share = entries[i].pasted.address;
        entries[i].result.failure = "the parse did not finish";
    }

    InitializeComponentLibrary();
    GlobalCookieStore = std::make_unique<CookieStore>();
    RegisterExitStep([] { GlobalCookieStore.reset(); });
    (void)InitializeCurl();  // before any worker starts; a failure shows in each fetch

    const bool batch = entries.size() > 1;
    const bool toAria2 = !options->aria2RpcUrl.empty();
    const Aria2RpcEndpoint endpoint{options->aria2RpcUrl, options->aria2Secret, options->headers};

    // Each worker parses on its own in-memory window; nothing writable is shared.
    const auto makeWorker = [&]() -> BatchWork {
        InitializeComponentLibrary();
        auto window = std::make_shared<MemoryWindow>();
        return [&, window](std::size_t i) {
            BatchEntry& entry = entries[i];
            if (!entry.pasted.problem.empty()) return;
            try {
                entry.result = ParseShare(*window, entry.pasted.address);
            } catch (const std::exception& e) {
                entry.result.failure = std::string("the parse failed: ") + e.what();
                return;
            }
            if (!toAria2) return;
            if (const auto download = MakeAria2Download(entry.result)) {
                Aria2RpcAnswer answer = Aria2AddUri(endpoint, *download, "kestrane-" + std::to_string(i + 1));
                if (answer.error.empty()) {
                    entry.result.gid = std::move(answer.gid);
                } else {
                    entry.aria2Error = std::move(answer.error);
                }
            }
        };
    };

    ProgressLine progress(batch && TerminalTakesProgress(), entries.size());
    bool skipped = false, withoutLink = false, aria2Failed = false;
    std::size_t parsed = 0;
    const auto emit = [&](std::size_t i) {
        const BatchEntry& entry = entries[i];
        progress.Clear();
        if (!entry.pasted.problem.empty()) {
            Report(entry.given, "skipped: " + entry.pasted.problem);
            skipped = true;
        } else {
            const ParseResult& result = entry.result;
            std::string out;
            switch (options->format) {
                case OutputFormat::kPlain: out = FormatPlain(result, batch, parsed); break;
                case OutputFormat::kJson: out = FormatJson(result, batch); break;
                case OutputFormat::kAria2: out = FormatAria2(result, options->headers); break;
            }
            std::fputs(out.c_str(), stdout);
            std::fflush(stdout);
            ++parsed;
            if (!entry.pasted.extractionCode.empty()) {
                Report(entry.pasted.address, "extraction code \"" + entry.pasted.extractionCode +
                                                 "\" ignored: extraction codes are not supported");
            }
            if (!result.HasLink()) {
                Report(entry.pasted.address, result.failure);
                withoutLink = true;
            }
            if (!entry.aria2Error.empty()) {
                Report(entry.pasted.address, entry.aria2Error);
                aria2Failed = true;
            }
        }
        if (i + 1 < entries.size()) progress.Show(i + 1, entries[i + 1].given);
    };

    if (!entries.empty()) progress.Show(0, entries[0].given);
    RunOrderedBatch(entries.size(), options->jobs, makeWorker, emit);
    progress.Clear();
    RunExitSteps();
    // Results that never reached their reader (a full disk, a closed file)
    // must not look like success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Report("standard output", errno != 0 ? std::strerror(errno) : "write failed");
        return kOutputFailed;
    }
    if (aria2Failed) return kAria2Failed;
    if (skipped) return kSkipped;
    if (withoutLink) return kSomeWithoutLink;
    return kAllLinked;
}
