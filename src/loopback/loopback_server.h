#pragma once

// A real HTTP server on a loopback address, for the tests and the demo site. Each connection gets
// one request and one scripted reply; every request is recorded.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrane::loopback {

struct ServedRequest {
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string head;  // the request line and headers as received
    std::string body;
    // The first header of that name (case-insensitive), or "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

struct Reply {
    std::string bytes;                      // written as they are
    std::chrono::milliseconds pace{0};      // pause after each byte (trickle)
    std::chrono::milliseconds delay{0};     // pause after reading the request, before the first byte
    bool hang = false;                      // accept, read, never answer
    bool resetAfterBytes = false;           // close with RST once `bytes` are out
    std::size_t endlessBodyChunk = 0;       // after `bytes`, repeat chunks of this size until the peer leaves
};

// A complete response; Content-Length is added unless `withLength` is false.
Reply HttpReply(int status, const std::string& reason, const std::string& body,
                const std::vector<std::pair<std::string, std::string>>& headers = {}, bool withLength = true);
Reply Redirect(const std::string& location, int status = 302);

class LoopbackServer {
public:
    using Handler = std::function<Reply(const ServedRequest&)>;

    // Listens on `address`:`port` (port 0: any free port) until destroyed.
    explicit LoopbackServer(Handler handler, std::string address = "127.0.0.1", std::uint16_t port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    const std::string& Address() const { return m_address; }
    // "http://address:port" followed by `path` (no ":80" for port 80).
    std::string Url(const std::string& path = "/") const;
    std::vector<ServedRequest> Requests() const;

private:
    void AcceptLoop();
    void Serve(int fd);

    Handler m_handler;
    std::string m_address;
    std::uint16_t m_port = 0;
    int m_listenFd = -1;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    std::vector<ServedRequest> m_requests;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> m_workers;  // finished ones are joined as new connections come
};

// A server that answers fixed paths with fixed replies and 404 elsewhere.
class PageServer {
public:
    explicit PageServer(std::string address = "127.0.0.1", std::uint16_t port = 0);
    void Set(const std::string& target, Reply reply);
    void SetPage(const std::string& target, const std::string& body) { Set(target, HttpReply(200, "OK", body)); }
    LoopbackServer& Server() { return m_server; }
    std::string Url(const std::string& path) const { return m_server.Url(path); }

private:
    std::mutex m_mutex;
    std::map<std::string, Reply> m_routes;
    LoopbackServer m_server;
};

}  // namespace kestrane::loopback
