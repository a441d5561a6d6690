#pragma once

// A TLS server on the loopback address that requires a client certificate:
// `openssl s_server -Verify 1 -verify_return_error -www`, started here and stopped by its pid. The
// certificates are made at start in a temporary directory: a throwaway CA, a
// server certificate and a client certificate signed by it.

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace kestrane::test {

class ClientAuthTlsServer {
public:
    ClientAuthTlsServer();
    ~ClientAuthTlsServer();
    ClientAuthTlsServer(const ClientAuthTlsServer&) = delete;
    ClientAuthTlsServer& operator=(const ClientAuthTlsServer&) = delete;

    // False when openssl was missing or the server did not come up.
    bool IsRunning() const { return m_pid > 0 && m_port != 0; }
    std::string Url(const std::string& path = "/") const;
    // A PEM file with the client certificate and its key.
    const std::string& ClientCertificate() const { return m_clientPem; }
    // A PEM file with a certificate and key the server's CA never signed.
    const std::string& StrangerCertificate() const { return m_strangerPem; }

private:
    std::string m_dir;
    std::string m_clientPem;
    std::string m_strangerPem;
    std::uint16_t m_port = 0;
    pid_t m_pid = -1;
};

}  // namespace kestrane::test
