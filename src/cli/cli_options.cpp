#include "cli/cli_options.h"

#include "platform/code_page.h"

namespace kestrane {

const char* const kCliUsage = "usage: kestrane-cli [--json | --aria2] SHARE_URL... | -\n";

const char* const kCliHelp =
    "usage: kestrane-cli [--json | --aria2] SHARE_URL... | -\n"
    "\n"
    "Downloads each share page, picks out the direct download link, follows\n"
    "its redirects for two mirror addresses, and prints what the window would\n"
    "show, in UTF-8. Addresses are parsed one after the other.\n"
    "\n"
    "  SHARE_URL   a share page address; give several for a batch\n"
    "  -           read addresses from standard input, one per line (blank\n"
    "              lines skipped, surrounding white space trimmed); this is\n"
    "              also what happens with no address when input is not a terminal\n"
    "  --json      JSON: one object for one address, JSON Lines for several\n"
    "  --aria2     an aria2 input file (aria2c -i FILE): every mirror, the name\n"
    "              and the MD5 checksum of each file\n"
    "  --help      this text\n"
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
    "blocks are separated by a blank line.\n"
    "\n"
    "--json, one address:\n"
    "  {\"address1\":\"...\",\"address2\":\"...\",\"address3\":\"...\",\"name\":\"中文.txt\",\n"
    "   \"kind\":\"文本文档   (txt)\",\"size\":\"1MB\",\"md5\":\"0123...\"}\n"
    "--json, several: one such object per line, with \"share\" first.\n"
    "\n"
    "--aria2:\n"
    "  http://d.example/file?fid=1<TAB>http://mirror1.example/file<TAB>http://mirror2.example/file\n"
    "   out=中文.txt\n"
    "   checksum=md5=0123456789abcdef0123456789abcdef\n"
    "  # no link: http://share.example/s/unparsable\n"
    "\n"
    "Examples:\n"
    "  kestrane-cli http://share.example/s/1abc\n"
    "  kestrane-cli --json http://share.example/s/1 http://share.example/s/2\n"
    "  printf '%s\\n' URL1 URL2 | kestrane-cli --aria2 - > list.txt && aria2c -i list.txt\n"
    "\n"
    "Exit status: 0 when every address was parsed (whatever the parse found);\n"
    "1 when an address was skipped (not valid UTF-8, or a control character\n"
    "in it: reported on standard error); 2 for wrong usage.\n";

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    bool formatChosen = false;
    bool endOfOptions = false;
    for (const std::string& arg : args) {
        if (!endOfOptions && (arg == "--help" || arg == "-h")) {
            options.help = true;
        } else if (!endOfOptions && (arg == "--json" || arg == "--aria2")) {
            const OutputFormat f = arg == "--json" ? OutputFormat::kJson : OutputFormat::kAria2;
            if (formatChosen && options.format != f) {
                error = "choose one of --json and --aria2";
                return std::nullopt;
            }
            options.format = f;
            formatChosen = true;
        } else if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && arg == "-") {
            options.readStdin = true;
        } else if (!endOfOptions && arg.starts_with("-")) {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            options.addresses.push_back(arg);
        }
    }
    return options;
}

std::string AddressProblem(const std::string& address) {
    if (!IsValidUtf8(address)) return "not valid UTF-8";
    for (const char c : address) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return "holds a control character";
    }
    return {};
}

}  // namespace kestrane
