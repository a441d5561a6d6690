#include "support/tls_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace kestrane::test {

namespace {

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Makes `name`.pem (certificate then key) signed by the CA in `dir`, or self-signed without one.
bool MakeCertificate(const std::string& dir, const std::string& name, const std::string& subject, bool signedByCa) {
    const std::string key = dir + "/" + name + ".key", cert = dir + "/" + name + ".crt";
    const std::string newKey = "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + key +
                               " -subj '/CN=" + subject + "'";
    const bool made = signedByCa ? Run(newKey + " -out " + dir + "/" + name + ".csr") &&
                                       Run("openssl x509 -req -days 1 -in " + dir + "/" + name + ".csr -CA " + dir +
                                           "/ca.crt -CAkey " + dir + "/ca.key -CAcreateserial -out " + cert)
                                 : Run(newKey + " -x509 -days 1 -out " + cert);
    if (!made) return false;
    std::ofstream pem(dir + "/" + name + ".pem", std::ios::binary);
    for (const std::string& part : {cert, key}) {
        std::ifstream in(part, std::ios::binary);
        pem << std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    return static_cast<bool>(pem.flush());
}

std::uint16_t FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    ::close(fd);
    return port;
}

bool Accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

ClientAuthTlsServer::ClientAuthTlsServer() {
    char tmpl[] = "/tmp/kestrane-tls-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return;
    m_dir = tmpl;
    const std::string& d = m_dir;
    if (!Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 -keyout " + d +
             "/ca.key -out " + d + "/ca.crt -subj '/CN=Kestrane throwaway CA'") ||
        !MakeCertificate(d, "server", "127.0.0.1", true) || !MakeCertificate(d, "client", "kestrane client", true) ||
        !MakeCertificate(d, "stranger", "stranger", false)) {
        return;
    }
    m_clientPem = d + "/client.pem";
    m_strangerPem = d + "/stranger.pem";
    const std::uint16_t port = FreeLoopbackPort();
    const std::string accept = "127.0.0.1:" + std::to_string(port);
    m_pid = ::fork();
    if (m_pid == 0) {
        const int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        ::execlp("openssl", "openssl", "s_server", "-accept", accept.c_str(), "-cert", (d + "/server.crt").c_str(), "-key",
                 (d + "/server.key").c_str(), "-CAfile", (d + "/ca.crt").c_str(), "-Verify", "1", "-verify_return_error", "-www", "-quiet",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (m_pid < 0) return;
    for (int i = 0; i < 100 && !Accepts(port); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (Accepts(port)) m_port = port;
}

ClientAuthTlsServer::~ClientAuthTlsServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
}

std::string ClientAuthTlsServer::Url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(m_port) + path;
}

}  // namespace kestrane::test
