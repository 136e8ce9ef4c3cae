// The dialog models over the settings: the options dialog, quick connect and the
// launcher that opens sessions from the server list.
#include "app/OptionsModel.h"
#include "app/QuickConnectModel.h"
#include "app/SessionLauncher.h"
#include "settings/SettingsError.h"
#include "doubles/RecordingWindows.h"
#include "settings/SettingsTestSupport.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

using namespace pell::app;
using namespace pell::settings;
using namespace pell::test;
namespace fs = std::filesystem;

namespace {

struct Launch {
    explicit Launch(ServerList list) : servers(std::move(list)) {}
    ServerList servers;
    RecordingWindows windows;
    RecordingPrompts prompts;
    SessionLauncher launcher{servers, windows, prompts};

    Lines opened() const
    {
        Lines result;
        for (const auto& p : windows.created)
            result.push_back(p.Name + ":" + std::to_string(p.Port));
        return result;
    }
};

// Table: tests/data/app/launcher.txt.
TEST(SessionLauncher, MenuClicksLookUpTheStoredNameExactlyAndAutoConnectStopsAtABadPort)
{
    for (const auto& c : readCases("app/launcher.txt")) {
        SCOPED_TRACE(c.name);
        std::vector<Lines> entries;
        for (const auto& entry : c.lines("entry")) {
            std::istringstream words(entry);
            std::string name, port = "6667", autoConnect = "False";
            words >> name >> port >> autoConnect;
            entries.push_back(serverEntry(name, port, autoConnect));
        }
        Launch f(serverList(entries));
        if (c.has("click"))
            f.launcher.ServerMenuClick(c.one("click"));
        else if (c.has("throws"))
            EXPECT_THROW(f.launcher.AutoConnect(), ConversionError);
        else
            EXPECT_NO_THROW(f.launcher.AutoConnect());
        EXPECT_EQ(f.opened(), c.lines("opened"));
        EXPECT_EQ(f.prompts.errors, c.lines("shown"));
    }
}

struct Options {
    explicit Options(ServerList list = {}) : servers(std::move(list)) { views.OnRebuilt = [this] { ++rebuilds; }; }
    TempFolder temp;
    AppSettings settings;
    ServerList servers;
    ServerViews views;
    RecordingPrompts prompts;
    int rebuilds = 0;
    OptionsModel model{settings, servers, views, AppSettingsFiles(SettingsFolder(temp.folder())), prompts, "/home/u/"};
};

TEST(OptionsModel, CreationLoadsTheFilesCopiesTheIdentityAndShowsAProxyErrorAfterTheViews)
{
    Options f(serverList({serverEntry("A"), serverEntry("A&B", "abc")}));
    writeBytes(f.temp.file("settings.ini"), "Me\r\nMy Name\r\nme\r\n" + EncodePassword("pw") +
                                                "\r\nTrue\r\nfalse\r\nfalse\r\nTrue\r\nTrue\r\n");
    writeBytes(f.temp.file("Accept.dat"), "*.ogg\r\n");
    writeBytes(f.temp.file("Proxy.ini"), "proxy\r\n1080\r\n\r\n\r\ntrue\r\nSocks5\r\n");
    f.model.Create();
    EXPECT_EQ(f.settings.AcceptPatterns, Lines{"*.ogg"});
    EXPECT_EQ(f.model.server().identity.values, (Identity{"Me", "My Name", "me", "pw", true, false, false, true}));
    EXPECT_EQ(f.views.rows(), (std::vector<ServerRow>{{"A", "host.A", "6667"}, {"A&B", "host.A&B", "abc"}}));
    EXPECT_EQ(f.views.menuCaptions(), (Lines{"A", "A&B"}));
    EXPECT_EQ(f.rebuilds, 1);
    EXPECT_TRUE(f.settings.ProxyNeedsAuth); // the lines before the bad one count
    EXPECT_EQ(f.prompts.errors, Lines{"'Socks5' is not a valid integer value"});
}

TEST(OptionsModel, ServerListClickSaveAndDeleteKeepListFileAndViewsInStep)
{
    Options f(serverList({serverEntry("B"), serverEntry("A", "not a port", "True"), serverEntry("A", "2")}));
    ServerEditor& panel = f.model.server();
    f.model.ServerListClick("A");
    EXPECT_EQ(panel.Host + "|" + panel.Port, "host.A|not a port");
    EXPECT_TRUE(panel.AutoConnect);
    EXPECT_EQ(panel.identity.values, (Identity{"nick", "Real A", "user", "pw-A", true, false, true, false}));

    panel.Name = "B";
    panel.identity.values = {"my  nick", "Real", "user", "pässwort", false, true, false, true};
    f.model.ServerSave();
    EXPECT_EQ(panel.identity.values.Nick, "mynick");
    const Lines saved = ServerList::entryLines(
        {{"mynick", "Real", "user", "pässwort", false, true, false, true}, "B", "host.A", 0, true}, "not a port");
    EXPECT_EQ(f.servers.lines(), serverList({saved, serverEntry("A", "not a port", "True"), serverEntry("A", "2")}).lines());
    EXPECT_EQ(parseLines(readBytes(f.temp.file("SList.dat"))), f.servers.lines());
    EXPECT_EQ(f.views.rows().size(), 3u);

    panel.Name = "A";
    f.model.ServerDelete();
    EXPECT_EQ(parseLines(readBytes(f.temp.file("SList.dat"))), saved);
    fs::remove(f.temp.file("SList.dat"));
    panel.Name = "nobody";
    f.model.ServerDelete(); // written even when nothing was removed
    EXPECT_EQ(parseLines(readBytes(f.temp.file("SList.dat"))), saved);
    EXPECT_EQ(f.rebuilds, 3);
    EXPECT_TRUE(f.prompts.errors.empty());

    fs::remove(f.temp.file("SList.dat"));
    fs::create_directory(f.temp.file("SList.dat")); // cannot be written: the error shows, the views follow memory
    panel.Name = "C";
    f.model.ServerSave();
    EXPECT_EQ(f.prompts.errors.at(0).rfind("Cannot create file \"" + f.temp.file("SList.dat") + "\". ", 0), 0u);
    EXPECT_EQ(f.views.rows().size(), 2u);
}

// The TLS box stands for the "+" of the port line: an entry read is written back byte for
// byte, and the profile started from it asks for TLS.
TEST(OptionsModel, TheTlsBoxIsThePlusOfThePortLine)
{
    const Lines before = serverList({serverEntry("S", "+6697"), serverEntry("P", "6667")}).lines();
    Options f{ServerList(before)};
    ServerEditor& panel = f.model.server();
    f.model.ServerListClick("S");
    EXPECT_EQ(panel.Port, "6697");
    EXPECT_TRUE(panel.Tls);
    f.model.ServerSave();
    EXPECT_EQ(f.servers.lines(), before);
    f.model.ServerListClick("P");
    EXPECT_FALSE(panel.Tls);
    panel.Tls = true;
    f.model.ServerSave();
    EXPECT_EQ(f.servers.lines().at(ServerList::LinesPerEntry + ServerList::PortLine), "+6667");
    ServerProfile profile;
    f.servers.FindProfileByName("S", profile);
    EXPECT_EQ(profile.Port, 6697);
    EXPECT_TRUE(profile.Tls);
}

TEST(OptionsModel, ExtensionListsSkipAPatternHeldInAnyCaseAndDeleteOnlyTheSelectedRow)
{
    Options f;
    const std::pair<ExtensionList, const char*> fields[] = {
        {ExtensionList::Accept, "*.MP3"}, {ExtensionList::Disable, "*.Exe"}, {ExtensionList::Ignore, "*.lnk2"}};
    for (const auto& [list, field] : fields) {
        f.model.extensionField(list) = field;
        f.model.ExtensionSave(list);
    }
    EXPECT_EQ(f.settings.AcceptPatterns, AppSettings{}.AcceptPatterns);
    EXPECT_EQ(f.settings.DisablePatterns, AppSettings{}.DisablePatterns);
    EXPECT_EQ(f.settings.IgnorePatterns, (Lines{"*.lnk", "*.lnk2"}));
    for (int row : {-1, 2, 0})
        f.model.ExtensionDelete(ExtensionList::Ignore, row);
    EXPECT_EQ(f.settings.IgnorePatterns, Lines{"*.lnk2"});
}

TEST(OptionsModel, FolderRulesAndLanguageGoStraightIntoTheSettings)
{
    Options f;
    f.model.FolderExtension = "*.jpg";
    f.model.FolderPath = "/pics/";
    f.model.FolderRuleSave();
    EXPECT_EQ(f.settings.FolderRules, (std::vector<FolderRule>{{"*.*", "Rootfolder"}, {"*.jpg", "/pics/"}}));
    f.model.LanguageClick(1); // before anything listens
    std::vector<pell::settings::Language> applied;
    f.model.ApplyLanguage = [&](pell::settings::Language language) { applied.push_back(language); };
    f.model.LanguageClick(0);
    f.model.LanguageClick(2);
    EXPECT_EQ(applied, (std::vector{pell::settings::Language::English, pell::settings::Language::German}));
}

TEST(OptionsModel, EveryCloseWritesTheSettingsFilesAndReportsAFailure)
{
    Options f;
    f.settings.Nick = "a b";
    EXPECT_TRUE(f.model.Close());
    EXPECT_EQ(readBytes(f.temp.file("settings.ini")).substr(0, 4), "ab\r\n");
    fs::remove(f.temp.file("Folders.dat"));
    fs::create_directory(f.temp.file("Folders.dat")); // a folder in the way
    EXPECT_FALSE(f.model.Close());
    EXPECT_NE(f.prompts.errors.at(0).find("Folders.dat"), std::string::npos);
}

struct QuickConnect : Launch {
    QuickConnect() : Launch({})
    {
        settings.Nick = "global";
        settings.Wallops = true;
    }
    AppSettings settings;
    QuickConnectModel model{settings, launcher, prompts};
};

TEST(QuickConnectModel, OpeningRefreshesTheIdentityOnlyConnectRemovesSpacesAndABadPortOpensNothing)
{
    QuickConnect f;
    f.model.Open();
    f.model.Closed(); // an empty server still opens a session
    EXPECT_EQ(f.windows.created.at(0), (ServerProfile{{.Nick = "global", .Wallops = true}, "", "", 6667}));
    f.model.Name = "Net";
    f.model.Server = "irc.net";
    f.model.Port = "7000";
    f.model.UseStandardSettingsChanged(false);
    f.model.identity.values.Nick = "one off";
    f.model.Closed(); // the window frame
    f.model.ConnectClick();
    f.model.Closed();
    EXPECT_EQ(f.windows.created.at(1), (ServerProfile{{"one off", "", "", "", false, false, false, true}, "Net", "irc.net", 7000, false}));
    EXPECT_EQ(f.windows.created.at(2).Nick, "oneoff");
    f.model.Open();
    EXPECT_EQ(f.model.identity.values.Nick, "global");
    EXPECT_EQ(f.model.Server + ":" + f.model.Port, "irc.net:7000");
    for (const char* port : {"", "66 67"}) {
        f.model.Port = port;
        f.model.Closed();
    }
    EXPECT_EQ(f.windows.created.size(), 3u);
    EXPECT_EQ(f.prompts.errors, (Lines{"'' is not a valid integer value", "'66 67' is not a valid integer value"}));
    f.model.Port = "+6697"; // as other clients write it
    f.model.Closed();
    EXPECT_EQ(f.windows.created.at(3).Port, 6697);
    EXPECT_TRUE(f.windows.created.at(3).Tls);
}

} // namespace
