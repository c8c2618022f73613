#pragma once

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace solen::test {

// A self-signed certificate for 127.0.0.1 (P-256 key, valid from a day ago for a year), made once
// per process, so that a local https server can be trusted by a client told to trust exactly it.
class TestCertificate {
public:
    static const TestCertificate& loopback();

    // The certificate as a PEM file, in a folder of its own that lives as long as the process:
    // what a client trusts instead of the system's authorities.
    const std::string& certificateFile() const { return certificateFile_; }
    // A server context that presents the certificate (TLS 1.2 or later); the caller owns it.
    SSL_CTX* makeServerContext() const;

    struct Material;

private:
    TestCertificate();

    std::shared_ptr<Material> material_;
    std::string certificateFile_;
};

}  // namespace solen::test
