#include "page_generator.h"

#include <random>

namespace kestrane::bench {

namespace {

// One chunk of ordinary page text: markup, styles and script with quotes,
// semicolons, escaped JSON and words close to the ones the patterns seek.
std::string OrdinaryChunk(std::mt19937& rng, int i) {
    const std::string n = std::to_string(i);
    const std::string r = std::to_string(rng() % 100000);
    return "<div class=\"item-" + n + "\"><a href=\"/s/list?page=" + n + "&amp;r=" + r + "\">entry " + n +
           "</a><span style=\"color:#333;margin:2px\">size: " + r + " bytes</span></div>\n"
           "<script>var conf_" + n + " = {\"name\":\"widget\",\"enabled\":true,\"items\":[1,2,3]};"
           "if(conf_" + n + ".enabled){render(\"#item-" + n + "\");};var s=\"{\\\"file\\\":\\\"x\\\",\\\"count\\\":\\\"" + r +
           "\\\"}\";;window._dlinkHint=\"none\";var path='/share/file-" + n + "';</script>\n";
}

std::string Entries() {
    return "<script>\nvar yunData = {\"file_list\":\"[{\\\"fs_id\\\":\\\"1234567890\\\","
           "\\\"path\\\":\\\"/share/filename=%E4%B8%AD%E6%96%87%E6%96%87%E4%BB%B6.zip\\\","
           "\\\"server_filename\\\":\\\"x\\\",\\\"size\\\":\\\"1048576000\\\","
           "\\\"md5\\\":\\\"0123456789abcdef0123456789abcdef\\\"}]\"};\n"
           "function go(){;;_dlink=\"http://d.pcs.example/file/0123456789abcdef?fid=42&time=1381000000&sign=FDTA"
           "ERV-DCb740ccc5511e5e8fedcff06b081203-abc%3D&expires=8h&rt=sh&r=123456789\";if(window.x){x();}}\n</script>\n";
}

}  // namespace

std::string RealisticPage(std::size_t bytes) {
    std::mt19937 rng(42);
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>share</title></head><body>\n";
    const std::string entries = Entries();
    for (int i = 0; page.size() + entries.size() < bytes; ++i) page += OrdinaryChunk(rng, i);
    return page + entries + "</body></html>\n";
}

std::string OpeningsWithoutClosings(std::size_t bytes) {
    std::string page = ";;_dlink=\"http://h/" + std::string(bytes / 2, 'a');
    page += "filename=" + std::string(bytes / 4, 'b');
    page += "size\\\":\\\"" + std::string(bytes / 4, '1');
    return page;
}

std::string ManyOpenings(std::size_t bytes) {
    std::string page;
    const std::string openings = ";;_dlink=\"filename=size\\\":\\\"md5\\\":\\\"\"";
    while (page.size() < bytes) page += openings;
    return page;
}

std::string LongBackslashRuns(std::size_t bytes) {
    std::string page = "filename=";
    const std::string run = std::string(4096, '\\') + "x";
    while (page.size() < bytes) page += run;
    page += "size\\\":" + std::string(bytes / 8, '\\') + "\"";
    return page + "\\\"";
}

}  // namespace kestrane::bench
