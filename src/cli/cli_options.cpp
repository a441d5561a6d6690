#include "cli/cli_options.h"

#include <getopt.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace kestrane {

const char* const kCliUsage =
    "usage: kestrane-cli [--json | --aria2 | --aria2-rpc URL] [-j N] [--header 'Name: value']... SHARE_URL... | -\n"
    "       kestrane-cli --help | --version\n";

const char* const kCliHelp =
    "usage: kestrane-cli [--json | --aria2 | --aria2-rpc URL] [-j N] [--header 'Name: value']... SHARE_URL... | -\n"
    "       kestrane-cli --help | --version\n"
    "\n"
    "Downloads each share page, picks out the direct download link, follows\n"
    "its redirects for two mirror addresses, and prints what the window would\n"
    "show, in UTF-8, in the order the addresses were given.\n"
    "\n"
    "  SHARE_URL          a share page address; give several for a batch. Text\n"
    "                     around it is dropped, as in a pasted\n"
    "                     \"链接: https://... 提取码: abcd\" or \"<https://...>\"\n"
    "  -                  read addresses from standard input, one per line (blank\n"
    "                     lines skipped); this is also what happens with no\n"
    "                     address when input is not a terminal\n"
    "  -j, --jobs N       parse up to N addresses at once (1 to 64, default 4);\n"
    "                     results still come out in input order\n"
    "  --json             JSON: one object for one address, JSON Lines for several\n"
    "  --aria2            an aria2 input file (aria2c -i FILE): every mirror, the\n"
    "                     name and the MD5 checksum of each file\n"
    "  --aria2-rpc URL    hand each file to a running aria2 (aria2.addUri over\n"
    "                     JSON-RPC) and print its GID; plain or --json output\n"
    "  --aria2-secret TOKEN  aria2's --rpc-secret, for --aria2-rpc\n"
    "  -H, --header 'Name: value'  a header the download needs, for --aria2 and\n"
    "                     --aria2-rpc (repeat for several); the share page fetch\n"
    "                     does not send it\n"
    "  -h, --help         this text\n"
    "  -V, --version      the version\n"
    "\n"
    "Plain output (the default), one address:\n"
    "  address1: http://d.example/file?fid=1\n"
    "  address2: http://mirror1.example/file\n"
    "  address3: http://mirror2.example/file\n"
    "  name: 中文.txt\n"
    "  kind: 文本文档   (txt)\n"
    "  size: 1MB\n"
    "  md5: 0123456789abcdef0123456789abcdef\n"
    "With several addresses each block begins with \"share: <address>\" and\n"
    "blocks are separated by a blank line. Control characters in a value are\n"
    "shown escaped (\\n, \\r, \\t, \\x1b, \\u009b). With --aria2-rpc a\n"
    "\"gid: <GID>\" line ends each block that was handed over.\n"
    "\n"
    "--json, one address:\n"
    "  {\"address1\":\"...\",\"address2\":\"...\",\"address3\":\"...\",\"name\":\"中文.txt\",\n"
    "   \"kind\":\"文本文档   (txt)\",\"size\":\"1MB\",\"md5\":\"0123...\"}\n"
    "--json, several: one such object per line, with \"share\" first; with\n"
    "--aria2-rpc a \"gid\" key follows.\n"
    "\n"
    "--aria2:\n"
    "  http://d.example/file?fid=1<TAB>http://mirror1.example/file<TAB>http://mirror2.example/file\n"
    "   out=中文.txt\n"
    "   checksum=md5=0123456789abcdef0123456789abcdef\n"
    "   header=Referer: https://pan.example/\n"
    "  # no link: http://share.example/s/unparsable\n"
    "\n"
    "Each address that gives no link gets one line on standard error:\n"
    "  kestrane-cli: <address>: <reason>\n"
    "(could not connect, timed out, the page's HTTP status, an empty or cut\n"
    "page, no link on the page).\n"
    "\n"
    "Examples:\n"
    "  kestrane-cli http://share.example/s/1abc\n"
    "  kestrane-cli --json http://share.example/s/1 http://share.example/s/2\n"
    "  kestrane-cli -j 16 --json - < addresses.txt > results.jsonl\n"
    "  kestrane-cli --aria2 --header 'Referer: https://pan.example/' - < addresses.txt > list.txt\n"
    "  aria2c -i list.txt\n"
    "  kestrane-cli --aria2-rpc http://127.0.0.1:6800/jsonrpc --aria2-secret s3cret \\\n"
    "      --header 'Referer: https://pan.example/' http://share.example/s/1abc\n"
    "\n"
    "Exit status:\n"
    "  0  every address gave a link\n"
    "  3  at least one address gave no link (each is reported on standard error)\n"
    "  1  an address was skipped: not valid UTF-8, a control character, or no\n"
    "     http or https address in the text (1 wins over 3)\n"
    "  4  --aria2-rpc: aria2 could not be reached or refused a download (4 wins\n"
    "     over 1 and 3)\n"
    "  5  the results could not be written to standard output (5 wins over all)\n"
    "  2  wrong usage\n";

namespace {

enum LongOnly : int { kJson = 256, kAria2, kAria2Rpc, kAria2Secret };

constexpr option kLongOptions[] = {
    {"json", no_argument, nullptr, kJson},
    {"aria2", no_argument, nullptr, kAria2},
    {"aria2-rpc", required_argument, nullptr, kAria2Rpc},
    {"aria2-secret", required_argument, nullptr, kAria2Secret},
    {"header", required_argument, nullptr, 'H'},
    {"jobs", required_argument, nullptr, 'j'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};
constexpr const char* kShortOptions = ":hVj:H:";

std::optional<std::size_t> ParseJobs(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long n = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || n < 1 || n > kMaxJobs) return std::nullopt;
    return static_cast<std::size_t>(n);
}

bool StartsWithHttp(const std::string& url) { return url.starts_with("http://") || url.starts_with("https://"); }

}  // namespace

std::string HeaderProblem(const std::string& header) {
    if (header.find_first_of("\r\n") != std::string::npos) return "holds a line break";
    const auto colon = header.find(':');
    if (colon == std::string::npos) return "has no colon (write 'Name: value')";
    if (colon == 0) return "has no name before the colon";
    // A field name is one token: letters, digits and !#$%&'*+-.^_`|~.
    const auto tokenByte = [](unsigned char c) {
        return std::isalnum(c) != 0 || std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
    };
    for (std::size_t i = 0; i < colon; ++i) {
        if (!tokenByte(static_cast<unsigned char>(header[i]))) return "has no header name before its colon (write 'Name: value')";
    }
    return {};
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
    // getopt_long permutes argv: give it copies it may reorder.
    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.emplace_back("kestrane-cli");
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    CliOptions options;
    bool formatChosen = false;
    const auto chooseFormat = [&](OutputFormat f) {
        if (formatChosen && options.format != f) return false;
        options.format = f;
        formatChosen = true;
        return true;
    };
    optind = 0;  // glibc: start afresh, whatever an earlier call left
    opterr = 0;  // the messages below say it better
    for (int c; (c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1;) {
        switch (c) {
            case 'h': options.help = true; break;
            case 'V': options.version = true; break;
            case kJson:
            case kAria2:
                if (!chooseFormat(c == kJson ? OutputFormat::kJson : OutputFormat::kAria2)) {
                    error = "choose one of --json and --aria2";
                    return std::nullopt;
                }
                break;
            case 'j':
                if (const auto jobs = ParseJobs(optarg)) {
                    options.jobs = *jobs;
                } else {
                    error = "--jobs takes a number from 1 to " + std::to_string(kMaxJobs) + ", not \"" + optarg + "\"";
                    return std::nullopt;
                }
                break;
            case 'H':
                if (const std::string problem = HeaderProblem(optarg); !problem.empty()) {
                    error = "--header " + problem;
                    return std::nullopt;
                }
                options.headers.emplace_back(optarg);
                break;
            case kAria2Rpc:
                if (!StartsWithHttp(optarg)) {
                    error = "--aria2-rpc takes an http:// or https:// address, such as http://127.0.0.1:6800/jsonrpc";
                    return std::nullopt;
                }
                options.aria2RpcUrl = optarg;
                break;
            case kAria2Secret: options.aria2Secret = optarg; break;
            case ':': {
                const char* name = argv[static_cast<std::size_t>(optind - 1)];
                error = std::string("option ") + name + " needs a value";
                return std::nullopt;
            }
            default: {
                const char* name = argv[static_cast<std::size_t>(optind - 1)];
                error = optopt != 0 && std::strncmp(name, "--", 2) != 0
                            ? std::string("unknown option -") + static_cast<char>(optopt)
                            : std::string("unknown option ") + name;
                return std::nullopt;
            }
        }
    }
    for (int i = optind; i < argc; ++i) {
        const std::string operand = argv[static_cast<std::size_t>(i)];
        if (operand == "-") {
            options.readStdin = true;
        } else {
            options.addresses.push_back(operand);
        }
    }
    if (!options.aria2RpcUrl.empty() && options.format == OutputFormat::kAria2) {
        error = "choose one of --aria2 and --aria2-rpc";
        return std::nullopt;
    }
    if (!options.aria2Secret.empty() && options.aria2RpcUrl.empty()) {
        error = "--aria2-secret goes with --aria2-rpc";
        return std::nullopt;
    }
    if (!options.headers.empty() && options.format != OutputFormat::kAria2 && options.aria2RpcUrl.empty()) {
        error = "--header goes with --aria2 or --aria2-rpc";
        return std::nullopt;
    }
    return options;
}

}  // namespace kestrane
