#include "net/TlsStream.h"

#include "net/Resolver.h"
#include "net/TlsCertificate.h"
#include "net/TransportError.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

namespace pell::net {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting handshake looks at its abort flag and lets a GUI thread breathe.
constexpr int kWaitSliceMs = 25;
// Certificate texts come from the server: this much of each is shown.
constexpr std::size_t kMaxNameText = 256;
constexpr std::size_t kMaxProblems = 8;

// The socket reached through send and recv, so that a write to a connection the server
// has closed fails with EPIPE instead of raising SIGPIPE (OpenSSL's own socket BIO
// uses write()).
int bioWrite(BIO* bio, const char* data, int size)
{
    const int socket = static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
    BIO_clear_retry_flags(bio);
    ssize_t sent;
    do
        sent = ::send(socket, data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

int bioRead(BIO* bio, char* out, int size)
{
    const int socket = static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
    BIO_clear_retry_flags(bio);
    ssize_t got;
    do
        got = ::recv(socket, out, static_cast<std::size_t>(size), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_read(bio);
    return static_cast<int>(got);
}

long bioControl(BIO*, int command, long, void*)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int bioCreate(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

const BIO_METHOD* socketMethod()
{
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "pell socket");
        BIO_meth_set_write(made, bioWrite);
        BIO_meth_set_read(made, bioRead);
        BIO_meth_set_ctrl(made, bioControl);
        BIO_meth_set_create(made, bioCreate);
        return made;
    }();
    return method;
}

// The handshake's certificate checks: every problem is noted and the handshake goes
// on, so that the user can be shown the certificate and asked.
struct Problems {
    std::vector<int> codes;
};

int noteProblem(int ok, X509_STORE_CTX* store)
{
    if (ok)
        return 1;
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* problems = ssl ? static_cast<Problems*>(SSL_get_app_data(ssl)) : nullptr;
    const int code = X509_STORE_CTX_get_error(store);
    if (problems && problems->codes.size() < kMaxProblems &&
        std::find(problems->codes.begin(), problems->codes.end(), code) == problems->codes.end())
        problems->codes.push_back(code);
    return 1;
}

CertificateProblem problemOf(int code)
{
    switch (code) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return CertificateProblem::SelfSigned;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return CertificateProblem::Expired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return CertificateProblem::NotYetValid;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return CertificateProblem::UnknownIssuer;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return CertificateProblem::WrongName;
    default:
        return CertificateProblem::Other;
    }
}

// Plain text of a server's name field: control bytes never reach a window.
std::string plainText(std::string text)
{
    if (text.size() > kMaxNameText)
        text = text.substr(0, kMaxNameText) + "...";
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return text;
}

std::string nameText(const X509_NAME* name)
{
    BIO* memory = BIO_new(BIO_s_mem());
    if (!memory)
        return {};
    X509_NAME_print_ex(memory, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory, &data);
    std::string text(data, static_cast<std::size_t>(std::max(0L, size)));
    BIO_free(memory);
    return plainText(text);
}

std::string timeText(const ASN1_TIME* time)
{
    std::tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

std::string fingerprint(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    static const char* const hex = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i > 0)
            text += ':';
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

CertificateReport reportOf(X509* certificate, const std::vector<int>& codes)
{
    CertificateReport report;
    if (!certificate) {
        report.Problems.push_back(CertificateProblem::Other);
        report.OtherProblem = "no certificate";
        return report;
    }
    report.Subject = nameText(X509_get_subject_name(certificate));
    report.Issuer = nameText(X509_get_issuer_name(certificate));
    report.ValidFrom = timeText(X509_get0_notBefore(certificate));
    report.ValidUntil = timeText(X509_get0_notAfter(certificate));
    report.Sha256 = fingerprint(certificate);
    for (const int code : codes) {
        const CertificateProblem problem = problemOf(code);
        if (std::find(report.Problems.begin(), report.Problems.end(), problem) != report.Problems.end())
            continue;
        report.Problems.push_back(problem);
        if (problem == CertificateProblem::Other && report.OtherProblem.empty())
            report.OtherProblem = X509_verify_cert_error_string(code);
    }
    return report;
}

// OpenSSL's reason for the last failure on this thread, or a fallback.
std::string reasonText()
{
    const unsigned long code = ERR_peek_last_error();
    const char* reason = code ? ERR_reason_error_string(code) : nullptr;
    return reason ? reason : "unknown error";
}

TransportError handshakeFailed(const std::string& reason)
{
    return TransportError::tls("TLS-Handshake fehlgeschlagen: " + reason, "TLS handshake failed: " + reason);
}

struct ContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};
struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

SSL_CTX* makeContext(const TlsSettings& settings)
{
    std::unique_ptr<SSL_CTX, ContextFree> context(SSL_CTX_new(TLS_client_method()));
    if (!context)
        throw handshakeFailed(reasonText());
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    // A clean end without close_notify is how many servers leave; renegotiation would
    // let a write wait for a read.
    SSL_CTX_set_options(context.get(), SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_mode(context.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_default_verify_paths(context.get());
    const std::string& pem = settings.ClientCertificate;
    if (!pem.empty() && (SSL_CTX_use_certificate_chain_file(context.get(), pem.c_str()) != 1 ||
                         SSL_CTX_use_PrivateKey_file(context.get(), pem.c_str(), SSL_FILETYPE_PEM) != 1))
        throw TransportError::tls("Das Client-Zertifikat " + pem + " kann nicht gelesen werden: " + reasonText(),
                                  "The client certificate " + pem + " cannot be read: " + reasonText());
    return context.release();
}

} // namespace

TlsStream::TlsStream(ssl_ctx_st* context, ssl_st* ssl, int socket) : context_(context), ssl_(ssl), socket_(socket)
{
}

TlsStream::~TlsStream()
{
    SSL_free(ssl_);
    SSL_CTX_free(context_);
}

std::unique_ptr<TlsStream> TlsStream::Connect(int socket, const std::string& host, int port,
                                              const TlsSettings& settings, const ConnectWait& wait)
{
    ERR_clear_error();
    std::unique_ptr<SSL_CTX, ContextFree> context(makeContext(settings));
    std::unique_ptr<SSL, SslFree> ssl(SSL_new(context.get()));
    BIO* bio = ssl ? BIO_new(socketMethod()) : nullptr;
    if (!bio)
        throw handshakeFailed(reasonText());
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(socket)));
    SSL_set_bio(ssl.get(), bio, bio);

    const std::string name = WithoutBrackets(host);
    if (IsAddressLiteral(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl.get()), name.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl.get(), name.c_str());
        SSL_set1_host(ssl.get(), name.c_str());
    }
    Problems problems;
    SSL_set_app_data(ssl.get(), &problems);
    SSL_set_verify(ssl.get(), SSL_VERIFY_PEER, noteProblem);

    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL, 0) | O_NONBLOCK);
    auto stream = std::unique_ptr<TlsStream>(new TlsStream(context.release(), ssl.release(), socket));
    for (;;) {
        ERR_clear_error();
        const int result = SSL_connect(stream->ssl_);
        if (result == 1)
            break;
        const int systemError = errno;
        const int error = SSL_get_error(stream->ssl_, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            const short events = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
            const auto slice = std::min(wait.Deadline, Clock::now() + std::chrono::milliseconds(kWaitSliceMs));
            if (!stream->waitFor(events, slice) && Clock::now() >= wait.Deadline)
                throw TransportError::tls("Zeitüberschreitung beim TLS-Handshake.",
                                          "The server did not finish the TLS handshake in time.");
            if (wait.Aborted && wait.Aborted())
                throw TransportError::socket(ECANCELED);
            if (wait.OnWaiting)
                wait.OnWaiting();
            continue;
        }
        if (error == SSL_ERROR_SYSCALL && systemError != 0 && ERR_peek_last_error() == 0)
            throw TransportError::socket(systemError);
        if (error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && ERR_peek_last_error() == 0))
            throw TransportError::tls("Der Server hat die Verbindung während des TLS-Handshakes geschlossen.",
                                      "The server closed the connection during the TLS handshake.");
        throw handshakeFailed(reasonText());
    }
    SSL_set_app_data(stream->ssl_, nullptr);

    const std::unique_ptr<X509, X509Free> certificate(SSL_get1_peer_certificate(stream->ssl_));
    if (certificate && problems.codes.empty() && SSL_get_verify_result(stream->ssl_) == X509_V_OK)
        return stream;
    CertificateReport report = reportOf(certificate.get(), problems.codes);
    if (report.Problems.empty()) {
        report.Problems.push_back(CertificateProblem::Other);
        report.OtherProblem = X509_verify_cert_error_string(SSL_get_verify_result(stream->ssl_));
    }
    const std::string trusted = NormalizedFingerprint(settings.TrustedSha256);
    if (certificate && !trusted.empty() && trusted == NormalizedFingerprint(report.Sha256))
        return stream;
    report.Host = name;
    report.Port = port;
    report.Changed = !trusted.empty();
    stream->Close();
    throw CertificateError(std::move(report));
}

bool TlsStream::waitFor(short events, Clock::time_point deadline) const
{
    pollfd pfd{socket_, events, 0};
    for (;;) {
        int timeout = -1;
        if (deadline != Clock::time_point::max()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            timeout = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
        }
        const int ready = ::poll(&pfd, 1, timeout);
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            throw TransportError::socket(errno);
    }
}

ssize_t TlsStream::Read(char* out, std::size_t size, int timeoutMs)
{
    const auto deadline =
        timeoutMs > 0 ? Clock::now() + std::chrono::milliseconds(timeoutMs) : Clock::time_point::max();
    for (;;) {
        int error = SSL_ERROR_NONE;
        int systemError = 0;
        {
            // Takes what has arrived, record after record, as a plain read takes all that
            // waits: a burst then reaches the reader in the same few large pieces.
            std::lock_guard lock(mutex_);
            std::size_t total = 0;
            for (;;) {
                ERR_clear_error();
                const int got = SSL_read(ssl_, out + total, static_cast<int>(std::min<std::size_t>(size - total, INT_MAX)));
                if (got <= 0) {
                    systemError = errno;
                    error = SSL_get_error(ssl_, got);
                    break;
                }
                total += static_cast<std::size_t>(got);
                if (total == size)
                    break;
            }
            if (total > 0)
                return static_cast<ssize_t>(total); // an error or the end shows on the next read
        }
        switch (error) {
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            if (!waitFor(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
                throw TransportError::readTimeout();
            continue;
        case SSL_ERROR_ZERO_RETURN:
            return 0;
        case SSL_ERROR_SYSCALL:
            if (systemError == 0)
                return 0;
            errno = systemError;
            return -1;
        default:
            throw TransportError::tls("TLS-Fehler: " + reasonText(), "TLS error: " + reasonText());
        }
    }
}

void TlsStream::Write(const char* data, std::size_t size)
{
    while (size > 0) {
        int error;
        int systemError;
        {
            std::lock_guard lock(mutex_);
            ERR_clear_error();
            const int sent = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
            if (sent > 0) {
                data += sent;
                size -= static_cast<std::size_t>(sent);
                continue;
            }
            systemError = errno;
            error = SSL_get_error(ssl_, sent);
        }
        if (error == SSL_ERROR_WANT_WRITE) {
            waitFor(POLLOUT, Clock::time_point::max());
        } else if (error == SSL_ERROR_WANT_READ) {
            // The reader may take those bytes first: look again soon either way.
            waitFor(POLLIN, Clock::now() + std::chrono::milliseconds(kWaitSliceMs));
        } else {
            throw TransportError::socket(error == SSL_ERROR_SYSCALL && systemError != 0 ? systemError : EPIPE);
        }
    }
}

void TlsStream::Close()
{
    std::lock_guard lock(mutex_);
    if (closed_)
        return;
    closed_ = true;
    ERR_clear_error();
    SSL_shutdown(ssl_); // one try: a full socket or a gone server is no reason to wait
    ERR_clear_error();
}

std::string TlsStream::Description() const
{
    std::lock_guard lock(mutex_);
    const char* cipher = SSL_get_cipher_name(ssl_);
    return std::string(SSL_get_version(ssl_)) + ", " + (cipher ? cipher : "?");
}

} // namespace pell::net
