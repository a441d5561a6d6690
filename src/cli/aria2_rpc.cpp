#include "cli/aria2_rpc.h"

#include <nlohmann/json.hpp>

#include "platform/curl_session.h"

namespace kestrane {

namespace {

constexpr long kConnectMs = 10'000;
constexpr long kTotalMs = 30'000;
constexpr std::size_t kMaxAnswerBytes = 1u << 20;

std::size_t CollectAnswer(char* data, std::size_t size, std::size_t count, void* user) {
    auto* answer = static_cast<std::string*>(user);
    const std::size_t n = size * count;
    if (answer->size() + n > kMaxAnswerBytes) return 0;
    answer->append(data, n);
    return n;
}

}  // namespace

std::string Aria2AddUriRequest(const Aria2RpcEndpoint& endpoint, const Aria2Download& download, const std::string& id) {
    nlohmann::ordered_json options = nlohmann::ordered_json::object();
    if (!download.out.empty()) options["out"] = download.out;
    if (!download.checksum.empty()) options["checksum"] = download.checksum;
    if (!endpoint.headers.empty()) options["header"] = endpoint.headers;
    nlohmann::ordered_json params = nlohmann::ordered_json::array();
    if (!endpoint.secret.empty()) params.push_back("token:" + endpoint.secret);
    params.push_back(download.uris);
    params.push_back(options);
    nlohmann::ordered_json request;
    request["jsonrpc"] = "2.0";
    request["id"] = id;
    request["method"] = "aria2.addUri";
    request["params"] = params;
    return request.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

Aria2RpcAnswer Aria2AddUri(const Aria2RpcEndpoint& endpoint, const Aria2Download& download, const std::string& id) {
    Aria2RpcAnswer answer;
    CurlEasy easy = MakeCurlEasy();
    if (!easy) {
        answer.error = "the HTTP client could not start";
        return answer;
    }
    CURL* h = easy.get();
    const std::string body = Aria2AddUriRequest(endpoint, download, id);
    std::string reply;
    char curlWords[CURL_ERROR_SIZE] = {};
    CurlSlist headers;
    AppendHeader(headers, "Content-Type: application/json");
    AppendHeader(headers, "Accept: application/json");
    curl_easy_setopt(h, CURLOPT_URL, endpoint.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, kConnectMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, kTotalMs);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CollectAnswer);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curlWords);
    if (const CURLcode rc = curl_easy_perform(h); rc != CURLE_OK) {
        answer.error = "could not reach aria2 at " + endpoint.url + ": " +
                       (curlWords[0] != '\0' ? std::string(curlWords) : std::string(curl_easy_strerror(rc)));
        return answer;
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    const auto json = nlohmann::json::parse(reply, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        answer.error = "aria2 at " + endpoint.url + " gave no JSON-RPC answer (HTTP " + std::to_string(status) + ")";
        return answer;
    }
    if (const auto error = json.find("error"); error != json.end()) {
        std::string message = "aria2 refused the download";
        if (error->is_object()) {
            const auto text = error->find("message");
            if (text != error->end() && text->is_string()) message += ": " + text->get<std::string>();
        }
        answer.error = message;
        return answer;
    }
    const auto result = json.find("result");
    if (result == json.end() || !result->is_string() || result->get<std::string>().empty()) {
        answer.error = "aria2 at " + endpoint.url + " answered without a GID";
        return answer;
    }
    answer.gid = result->get<std::string>();
    return answer;
}

}  // namespace kestrane
