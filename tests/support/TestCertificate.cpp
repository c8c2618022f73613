#include "support/TestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace solen::test {

struct TestCertificate::Material {
    EVP_PKEY* key = nullptr;
    X509* certificate = nullptr;

    Material() = default;
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;
    ~Material() {
        X509_free(certificate);
        EVP_PKEY_free(key);
    }
};

namespace {

void require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("test certificate: ") + what);
}

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
    X509_EXTENSION_free(extension);
}

}  // namespace

const TestCertificate& TestCertificate::loopback() {
    // Never destroyed: servers may still hold contexts made from it at exit. Its file goes then.
    static const TestCertificate* instance = [] {
        auto* made = new TestCertificate();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(loopback().certificateFile()).parent_path(), ignored);
        });
        return made;
    }();
    return *instance;
}

TestCertificate::TestCertificate() : material_(std::make_shared<Material>()) {
    Material& made = *material_;
    made.key = EVP_EC_gen("P-256");
    require(made.key != nullptr, "key");
    made.certificate = X509_new();
    X509* certificate = made.certificate;
    require(certificate != nullptr, "certificate");
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -86400L);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 365L * 86400L);
    X509_set_pubkey(certificate, made.key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    addExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(certificate, NID_key_usage, "critical,digitalSignature,keyCertSign");
    addExtension(certificate, NID_ext_key_usage, "serverAuth");
    addExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1");
    require(X509_sign(certificate, made.key, EVP_sha256()) > 0, "signature");

    std::string folder = (std::filesystem::temp_directory_path() / "solen-test-cert-XXXXXX").string();
    require(::mkdtemp(folder.data()) != nullptr, "folder");
    certificateFile_ = folder + "/loopback.pem";
    BIO* file = BIO_new_file(certificateFile_.c_str(), "w");
    require(file != nullptr, "file");
    const bool written = PEM_write_bio_X509(file, certificate) == 1;
    BIO_free(file);
    require(written, "PEM");
}

SSL_CTX* TestCertificate::makeServerContext() const {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    require(context != nullptr, "context");
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    require(SSL_CTX_use_certificate(context, material_->certificate) == 1 &&
                SSL_CTX_use_PrivateKey(context, material_->key) == 1,
            "server identity");
    return context;
}

}  // namespace solen::test
