// Session windows on a real ngircd over TLS: what the user is asked about a certificate
// that cannot be verified, what each answer does, and what a later start remembers.

#include "SessionFakes.h"
#include "settings/SettingsTestSupport.h"
#include "support/Ngircd.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>

namespace pell::session::testing {
namespace {

using Kind = test::TestCertificates::Kind;

// One session window over TLS to localhost, answering the certificate question as told.
struct Window : ServerWindow {
    Window(const SessionShared& sharedBefore, int port, bool trust, settings::Language language = settings::Language::English)
    {
        shared.Certificates = sharedBefore.Certificates;
        settings.Language = language;
        prompts.yesNoAnswers = {trust};
        settings::ServerProfile profile{{.Nick = "tls", .RealName = "tls", .Username = "tls"}, "Net", "localhost", port};
        profile.Tls = true;
        open(profile);
    }
    std::vector<std::string> main() { return linesOf(session->Model(), "Main"); }
};

struct TlsSession : ::testing::Test {
    const test::TestCertificates& certs = test::TrustedTestCertificates();
    test::TempFolder folder;
    SessionShared shared;
    void SetUp() override { shared.Certificates = settings::TrustedCertificates(settings::SettingsFolder(folder.folder())); }
    test::Ngircd::Options server(Kind kind, int tlsPort = 0) const
    {
        return {.certFile = certs.cert(kind), .keyFile = certs.key(kind), .dhFile = certs.dhFile(), .tlsPort = tlsPort};
    }
};

// Each certificate that fails: "No" connects nothing and says so in "Main"; "Yes"
// connects and is kept in TrustedCerts.dat, so the next window does not ask.
TEST_F(TlsSession, NoConnectsNothingYesConnectsAndIsRemembered)
{
    const std::pair<Kind, std::string> rows[] = {{Kind::SelfSigned, "it is self-signed"},
                                                 {Kind::WrongName, "it was made for another name"},
                                                 {Kind::Expired, "it has expired"}};
    for (const auto& [kind, why] : rows) {
        test::Ngircd ngircd(server(kind));
        const std::string where = "localhost:" + std::to_string(ngircd.tlsPort());
        Window refused(shared, ngircd.tlsPort(), false);
        ASSERT_TRUE(refused.gui.pumpUntil([&] { return !refused.main().empty(); })) << why;
        EXPECT_EQ(refused.main(), std::vector<std::string>{"<System>:Not connected: the certificate of " + where + " was not trusted."});
        EXPECT_TRUE(refused.prompts.asked.at(0).starts_with("Certificate|The certificate of " + where + " cannot be verified: " + why + ".\n\n"));
        EXPECT_FALSE(refused.session->Engine().Connected());

        Window trusted(shared, ngircd.tlsPort(), true);
        EXPECT_TRUE(trusted.registered()) << ngircd.log();
        EXPECT_EQ(trusted.prompts.asked.size(), 1u);
        const std::string stored = "localhost\r\n" + std::to_string(ngircd.tlsPort()) + "\r\n" + test::FingerprintOf(certs.cert(kind)) + "\r\n";
        EXPECT_EQ(test::readBytes(folder.file("TrustedCerts.dat")), stored);
        EXPECT_EQ(test::modeOf(folder.file("TrustedCerts.dat")), 0600u);

        Window later(shared, ngircd.tlsPort(), false);
        EXPECT_TRUE(later.registered());
        EXPECT_EQ(later.prompts.asked, std::vector<std::string>{});
        EXPECT_TRUE(later.main().at(0).starts_with("<System>:Encrypted connection (TLS): TLSv1.3, TLS_")) << later.main().at(0);
        std::filesystem::remove(folder.file("TrustedCerts.dat"));
    }
}

// The question in full, and a certificate that changes after it was trusted asks again
// and says so (here in German).
TEST_F(TlsSession, TheQuestionShowsTheCertificateAndAChangeAsksAgain)
{
    int port = 0;
    {
        test::Ngircd ngircd(server(Kind::Expired));
        port = ngircd.tlsPort();
        Window first(shared, port, true);
        EXPECT_TRUE(first.registered());
        const std::string where = "localhost:" + std::to_string(port);
        EXPECT_EQ(first.prompts.asked, std::vector<std::string>{
            "Certificate|The certificate of " + where + " cannot be verified: it has expired.\n\n"
            "Subject: CN=localhost\nIssuer: CN=Pell test CA\n"
            "Valid: 2020-01-01 00:00:00 UTC to 2020-02-01 00:00:00 UTC\n"
            "SHA-256: " + test::FingerprintOf(certs.cert(Kind::Expired)) + "\n\n"
            "Trust this certificate for " + where + "? Only if you know it is the server's own."});
    }
    test::Ngircd changed(server(Kind::SelfSigned, port));
    Window second(shared, port, false, settings::Language::German);
    ASSERT_TRUE(second.gui.pumpUntil([&] { return !second.main().empty(); }));
    EXPECT_TRUE(second.prompts.asked.at(0).starts_with("Zertifikat|Das Zertifikat von localhost:" + std::to_string(port) +
                                                       " hat sich geändert, seit Sie ihm vertraut haben, und das neue kann "
                                                       "nicht geprüft werden: es ist selbst signiert.\n\nInhaber: CN=localhost\n"));
    EXPECT_EQ(second.main(), std::vector<std::string>{"<System>:Nicht verbunden: dem Zertifikat von localhost:" +
                                                      std::to_string(port) + " wurde nicht vertraut."});
}

} // namespace
} // namespace pell::session::testing
