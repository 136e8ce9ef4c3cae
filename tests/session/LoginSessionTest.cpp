// Session windows logging in while they connect, to a real InspIRCd with atheme as
// services, and registering without a login on ngircd (whose CAP offers multi-prefix).

#include "SessionFakes.h"
#include "settings/SettingsTestSupport.h"
#include "support/Inspircd.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>

#include <thread>

namespace pell::session::testing {
namespace {

using Kind = test::TestCertificates::Kind;

struct Window : ServerWindow {
    Window(const std::string& nick, const std::string& host, int port, bool tls, const settings::ServerLogin& login)
    {
        settings::ServerProfile profile{{.Nick = nick, .RealName = nick, .Username = nick}, "Net", host, port};
        profile.Tls = tls;
        profile.Login = login;
        open(profile);
    }
    // Until "Main" holds a line that starts so, or the session gave up.
    bool shows(const std::string& start)
    {
        return gui.pumpUntil([&] {
            const auto lines = linesOf(session->Model(), "Main");
            return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(start); });
        }, std::chrono::milliseconds(10000));
    }
};

// InspIRCd completes registrations on its once-a-second tick: every window waits for it.
struct OnInspircd : ::testing::Test {
    const test::TestCertificates& certs = test::TrustedTestCertificates();
    test::Inspircd server{{.certificates = &certs}};
    test::TempFolder folder;

    void SetUp() override
    {
        test::RawIrcClient owner(server.port(), "pat");
        ASSERT_TRUE(until(owner, " 001 pat ")) << server.log();
        owner.send("PRIVMSG NickServ :REGISTER sesame1 pat@example.org");
        ASSERT_TRUE(until(owner, "is now registered")) << owner.received(); // the nick comes in bold
        owner.send("PRIVMSG NickServ :CERT ADD " + certs.clientSha256());
        ASSERT_TRUE(until(owner, certs.clientSha256())) << owner.received();
    }
    static bool until(test::RawIrcClient& client, const std::string& text)
    {
        for (int waited = 0; waited < 10000 && !client.saw(text); waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return client.saw(text);
    }
    // The client certificate and its key in one file, as the login field takes it.
    std::string clientPem()
    {
        test::writeBytes(folder.file("client.pem"), test::readBytes(certs.cert(Kind::Client)) +
                                                        test::readBytes(certs.key(Kind::Client)));
        return folder.file("client.pem");
    }
};

TEST_F(OnInspircd, PlainAndExternalLogInAWrongPasswordGoesOnWithoutLogin)
{
    Window plain("pat", "localhost", server.tlsPort(), true, {"PLAIN", "pat", "sesame1", "", false});
    EXPECT_TRUE(plain.shows("<System>:You are now logged in as pat.")) << server.log();
    EXPECT_TRUE(plain.registered());
    EXPECT_TRUE(plain.session->Engine().HasCapability("sasl"));
    EXPECT_TRUE(plain.session->Engine().HasCapability("server-time"));

    Window external("ext", "localhost", server.tlsPort(), true, {"EXTERNAL", "", "", clientPem(), true});
    EXPECT_TRUE(external.shows("<System>:You are now logged in as pat."));
    EXPECT_TRUE(external.registered());

    Window wrong("guess", "127.0.0.1", server.port(), false, {"PLAIN", "pat", "sesame2", "", false});
    wrong.settings.Language = settings::Language::German;
    EXPECT_TRUE(wrong.shows("<System>:Anmeldung fehlgeschlagen: der Server hat sie abgelehnt (SASL authentication "
                            "failed). Die Verbindung geht ohne Anmeldung weiter.")) << ::testing::PrintToString(linesOf(wrong.session->Model(), "Main"));
    EXPECT_TRUE(wrong.registered());
}

TEST_F(OnInspircd, ALoginThatMustNotFailEndsTheConnectionAndPlainTextCarriesNoPassword)
{
    Window required("must", "127.0.0.1", server.port(), false, {"PLAIN", "pat", "sesame2", "", true});
    EXPECT_TRUE(required.shows("<System>:Login failed: the server refused it (SASL authentication failed). "
                               "Disconnected: this server entry requires a login."));
    EXPECT_FALSE(required.session->Engine().Connected());

    Window named("named", "localhost", server.port(), false, {"PLAIN", "pat", "sesame1", "", false});
    EXPECT_TRUE(named.shows("<System>:Login not sent: SASL PLAIN goes only over TLS (or to 127.0.0.1 and ::1), and "
                            "this connection is not encrypted. The connection goes on without login."));
    EXPECT_TRUE(named.registered());
}

// A bouncer's replayed line shows when it was said and flashes nothing; away and account
// reach the nick list's status.
TEST(ServerTime, AReplayedLineShowsItsTimeAndAwayAndAccountAreKept)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    WiredSession wired;
    wired.settings.FlashOnMessage = true;
    wired.connect();
    wired.serverSends({":srv CAP * LS :server-time away-notify account-notify", ":srv CAP me ACK :server-time away-notify account-notify",
                       ":srv 001 me :Welcome"});
    wired.newLines();
    wired.serverSends({"@time=2020-01-01T10:00:00.000Z :bob!b@h PRIVMSG #c :missed you", ":bob!b@h PRIVMSG #c :live"});
    EXPECT_EQ(wired.newLines(), (std::vector<std::string>{"Main|<bob>:[2020-01-01 10:00:00] missed you|others", "Main|<bob>:live|others"}));
    EXPECT_EQ(wired.desktop.flashes, 1);
    const auto tenOClock = std::chrono::system_clock::from_time_t(1577872800); // 2020-01-01 10:00:00 UTC
    wired.model.SetLineTime(tenOClock, tenOClock + std::chrono::hours(2));
    wired.model.AddText("Main", "bob", "same day", 0);
    wired.model.SetLineTime(std::nullopt);
    EXPECT_EQ(wired.linesOf("Main").back(), "<bob>:[10:00:00] same day");

    wired.serverSends({":srv 005 me PREFIX=(qaohv)~&@%+ :are supported", ":bob!b@h AWAY :lunch", ":bob!b@h ACCOUNT bobacct"});
    const std::string symbols = wired.model.Tabs().PrefixSymbols();
    EXPECT_TRUE(wired.model.Members().Away("%bob", symbols));
    EXPECT_EQ(wired.model.Members().Describe("~Bob", symbols), "Account: bobacct\nAway: lunch");
    wired.serverSends({":bob!b@h AWAY"});
    EXPECT_FALSE(wired.model.Members().Away("bob"));
}

} // namespace
} // namespace pell::session::testing
