#include "support/TestCertificates.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace pell::test {

namespace {

const char* const kNames[] = {"server", "wrongname", "selfsigned", "expired", "chain", "client"};
const std::string kNewKey = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
const std::string kLocalNames = "DNS:localhost,IP:127.0.0.1,IP:::1";

} // namespace

TestCertificates::TestCertificates()
{
    dir_ = "/tmp/pell-certs-XXXXXX";
    if (!mkdtemp(dir_.data()))
        throw std::runtime_error("cannot make a temporary folder");
    // Servers that drop to user nobody read the keys after start-up.
    chmod(dir_.c_str(), 0755);
    caFile_ = dir_ + "/ca.pem";
    run("openssl req -x509" + kNewKey + " -keyout ca.key -out ca.pem -days 3650 -subj '/CN=Pell test CA'");
    request("server", "localhost", kLocalNames);
    sign("server", "ca");
    request("wrongname", "wrong.example", "DNS:wrong.example");
    sign("wrongname", "ca");
    run("openssl req -x509" + kNewKey + " -keyout selfsigned.key -out selfsigned.pem -days 3650"
        " -subj /CN=localhost -addext subjectAltName=" + kLocalNames);
    request("expired", "localhost", kLocalNames);
    run("touch index.txt && echo 01 > serial && openssl ca -batch -config " PELL_TEST_DATA "/servers/openssl-ca.cnf"
        " -cert ca.pem -keyfile ca.key -in expired.csr -out expired.pem -notext"
        " -startdate 200101000000Z -enddate 200201000000Z");
    // A comment of 90,000 bytes makes the intermediate big while the chain stays below the
    // 100 KiB OpenSSL accepts by default.
    std::ofstream(dir_ + "/intermediate.ext") << "basicConstraints=critical,CA:TRUE\nkeyUsage=keyCertSign\n"
                                              << "nsComment=" << std::string(90000, 'x') << "\n";
    run("openssl req" + kNewKey + " -keyout intermediate.key -out intermediate.csr -subj '/CN=Pell test intermediate'");
    run("openssl x509 -req -in intermediate.csr -CA ca.pem -CAkey ca.key -days 3650 -extfile intermediate.ext"
        " -out intermediate.pem");
    request("chain", "localhost", kLocalNames);
    sign("chain", "intermediate");
    run("cat intermediate.pem >> chain.pem");
    run("openssl req -x509" + kNewKey + " -keyout client.key -out client.pem -days 3650 -subj '/CN=pell client'");
    run("openssl genpkey -genparam -algorithm DH -pkeyopt group:ffdhe2048 -out dh.pem");
    run("chmod 644 *.key");
    run("openssl x509 -noout -fingerprint -sha256 -in client.pem | cut -d= -f2 | tr -d : | tr A-F a-f >client.sha256");
    std::ifstream(dir_ + "/client.sha256") >> clientSha256_;
    if (clientSha256_.size() != 64)
        throw std::runtime_error("no fingerprint for " + cert(Client));
}

TestCertificates::~TestCertificates()
{
    [[maybe_unused]] const int rc = std::system(("rm -rf '" + dir_ + "'").c_str());
}

std::string TestCertificates::cert(Kind kind) const
{
    return dir_ + "/" + kNames[kind] + ".pem";
}

std::string TestCertificates::key(Kind kind) const
{
    return dir_ + "/" + kNames[kind] + ".key";
}

void TestCertificates::run(const std::string& command) const
{
    const std::string line = "cd '" + dir_ + "' && { " + command + "; } >>openssl.log 2>&1";
    if (std::system(line.c_str()) != 0)
        throw std::runtime_error("openssl failed: " + command);
}

void TestCertificates::request(const std::string& name, const std::string& subject, const std::string& names) const
{
    run("openssl req" + kNewKey + " -keyout " + name + ".key -out " + name + ".csr -subj /CN=" + subject
        + " -addext subjectAltName=" + names);
}

void TestCertificates::sign(const std::string& name, const std::string& issuer) const
{
    run("openssl x509 -req -in " + name + ".csr -CA " + issuer + ".pem -CAkey " + issuer + ".key"
        " -CAcreateserial -days 3650 -copy_extensions copy -out " + name + ".pem");
}

} // namespace pell::test
