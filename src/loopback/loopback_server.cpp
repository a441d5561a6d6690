#include "loopback/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "platform/ascii.h"

namespace kestrane::loopback {

namespace {

// Reads one request head and body; false when the peer went away first.
bool ReadRequest(int fd, ServedRequest& req, const std::atomic<bool>& stopping) {
    std::string data;
    char buf[4096];
    std::size_t headEnd = std::string::npos;
    std::size_t need = 0;
    while (!stopping) {
        if (headEnd != std::string::npos && data.size() >= headEnd + 4 + need) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        data.append(buf, static_cast<std::size_t>(n));
        if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
            req.head = data.substr(0, headEnd);
            std::size_t lineEnd = req.head.find("\r\n");
            const std::string requestLine = req.head.substr(0, lineEnd);
            const std::size_t s1 = requestLine.find(' ');
            const std::size_t s2 = requestLine.rfind(' ');
            req.method = requestLine.substr(0, s1);
            if (s1 != std::string::npos && s2 > s1) {
                req.target = requestLine.substr(s1 + 1, s2 - s1 - 1);
                req.version = requestLine.substr(s2 + 1);
            }
            while (lineEnd != std::string::npos) {
                const std::size_t next = req.head.find("\r\n", lineEnd + 2);
                const std::string line = req.head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos
                                                                                                 : next - lineEnd - 2);
                if (const std::size_t colon = line.find(':'); colon != std::string::npos) {
                    std::string value = line.substr(colon + 1);
                    value.erase(0, value.find_first_not_of(' '));
                    req.headers.emplace_back(line.substr(0, colon), value);
                }
                lineEnd = next;
            }
            const std::string length = req.Header("Content-Length");
            need = length.empty() ? 0 : std::stoul(length);
        }
    }
    if (headEnd == std::string::npos) return false;
    req.body = data.substr(headEnd + 4, need);
    return true;
}

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string ServedRequest::Header(const std::string& name) const {
    for (const auto& [k, v] : headers) {
        if (EqualIgnoringAsciiCase(k, name)) return v;
    }
    return {};
}

bool ServedRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& kv) { return EqualIgnoringAsciiCase(kv.first, name); });
}

Reply HttpReply(int status, const std::string& reason, const std::string& body,
                const std::vector<std::pair<std::string, std::string>>& headers, bool withLength) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& [k, v] : headers) out += k + ": " + v + "\r\n";
    if (withLength) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n" + body;
    return Reply{out};
}

Reply Redirect(const std::string& location, int status) {
    return HttpReply(status, "Found", "", {{"Location", location}});
}

LoopbackServer::LoopbackServer(Handler handler, std::string address, std::uint16_t port)
    : m_handler(std::move(handler)), m_address(std::move(address)) {
    m_listenFd = socket(AF_INET, SOCK_STREAM, 0);
    if (m_listenFd < 0) throw std::runtime_error("socket failed");
    int one = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, m_address.c_str(), &addr.sin_addr) != 1 ||
        bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(m_listenFd, 64) != 0) {
        close(m_listenFd);
        throw std::runtime_error("cannot listen on " + m_address + ":" + std::to_string(port));
    }
    socklen_t len = sizeof addr;
    getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    m_stopping = true;
    m_acceptThread.join();
    close(m_listenFd);
    std::vector<Worker> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& w : workers) w.thread.join();
}

std::string LoopbackServer::Url(const std::string& path) const {
    // Port 80 is left out, as a browser writes it.
    return "http://" + m_address + (m_port == 80 ? "" : ":" + std::to_string(m_port)) + path;
}

std::vector<ServedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackServer::AcceptLoop() {
    while (!m_stopping) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const int fd = accept(m_listenFd, nullptr, nullptr);
        if (fd < 0) continue;
        std::lock_guard lock(m_mutex);
        std::erase_if(m_workers, [](Worker& w) {
            if (!w.done->load()) return false;
            w.thread.join();
            return true;
        });
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_workers.push_back({std::thread([this, fd, done] {
                                 Serve(fd);
                                 done->store(true);
                             }),
                             done});
    }
}

void LoopbackServer::Serve(int fd) {
    ServedRequest req;
    if (ReadRequest(fd, req, m_stopping)) {
        const Reply reply = m_handler(req);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(req);
        }
        for (auto waited = std::chrono::milliseconds(0); waited < reply.delay && !m_stopping;) {
            const auto step = std::min(reply.delay - waited, std::chrono::milliseconds(20));
            std::this_thread::sleep_for(step);
            waited += step;
        }
        if (reply.hang) {
            while (!m_stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } else if (reply.pace.count() > 0) {
            for (char c : reply.bytes) {
                if (m_stopping || !SendAll(fd, &c, 1)) break;
                std::this_thread::sleep_for(reply.pace);
            }
        } else {
            bool open = SendAll(fd, reply.bytes.data(), reply.bytes.size());
            if (reply.endlessBodyChunk > 0) {
                const std::string chunk(reply.endlessBodyChunk, 'x');
                while (open && !m_stopping) open = SendAll(fd, chunk.data(), chunk.size());
            }
        }
        if (reply.resetAfterBytes) {
            linger l{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            close(fd);  // with linger 0 this sends RST instead of FIN
            return;
        }
    }
    shutdown(fd, SHUT_WR);
    close(fd);
}

PageServer::PageServer(std::string address, std::uint16_t port)
    : m_server(
          [this](const ServedRequest& req) {
              std::lock_guard lock(m_mutex);
              const auto it = m_routes.find(req.target);
              return it != m_routes.end() ? it->second : HttpReply(404, "Not Found", "no such page");
          },
          std::move(address), port) {}

void PageServer::Set(const std::string& target, Reply reply) {
    std::lock_guard lock(m_mutex);
    m_routes[target] = std::move(reply);
}

}  // namespace kestrane::loopback
