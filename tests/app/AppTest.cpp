#include "app/AppCore.h"
#include "app/Captions.h"
#include "app/HelpText.h"
#include "app/LinkPolicy.h"
#include "app/ShellRegistration.h"
#include "app/ScriptEditorModel.h"
#include "app/StartUp.h"
#include "app/Uptime.h"

#include "settings/SettingsTestSupport.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>
#include <map>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace pell;
using namespace pell::test;
using namespace std::chrono;

namespace {

// The creation steps of the long-lived windows as the program runs them, over one folder;
// each session window and each part of the start-up work goes into the trace.
struct Program : app::SessionWindowFactory {
    TempFolder home;
    RecordingPrompts prompts;
    std::vector<std::string> trace;
    app::AppCore core{home.folder(), *this, prompts};

    void createSessionWindow(const settings::ServerProfile& pending) override { trace.push_back("session " + pending.Name); }

    std::vector<std::string> start()
    {
        core.WriteShellAssociations = [this] { trace.push_back("associations"); };
        core.ApplyLanguage = [this](app::Language l) { trace.push_back(l == app::Language::German ? "de" : "en"); };
        app::StartUp startUp(prompts);
        startUp.add("main window", [&] { core.createMainWindowData(); });
        startUp.add("options", [&] { core.loadOptions(); });
        startUp.add("script editor", [&] { core.loadTemplates(); });
        startUp.add("about box", [&] { core.runStartUpWork(); });
        startUp.add("splash", [&] { trace.push_back("splash"); });
        return startUp.run();
    }
};

TEST(StartUp, WithoutSettingsFilesEverythingHasItsDefaultAndNoSessionOpens)
{
    Program program;
    EXPECT_TRUE(program.start().empty());
    EXPECT_TRUE(program.prompts.errors.empty());
    EXPECT_EQ(program.core.settings(), settings::AppSettings{});
    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "splash"}));
}

TEST(StartUp, SettingsAreLoadedAndAutoConnectSessionsOpenBeforeTheSplash)
{
    Program program;
    writeBytes(program.home.file("SList.dat"), settings::joinLines(serverList({serverEntry("one", "1", "True"),
        serverEntry("two"), serverEntry("three", "3", "True")}).lines()));
    writeBytes(program.home.file("Color.dat"), "1\r\n2\r\n3\r\n4\r\n100\r\n0\r\n");
    writeBytes(program.home.file("Template.dat"), "lead\r\n");
    program.prompts.yes = true;
    program.core.setArguments({"/m", "irc://linked.example/"});
    EXPECT_TRUE(program.start().empty());
    // Stored English is applied after German; the link comes after auto-connect.
    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "de", "en", "session one", "session three",
                                                       "session linked.example", "splash"}));
    EXPECT_EQ(program.core.serverViews().menuCaptions(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(program.core.templates().lines(), settings::Lines{"lead"});
}

// A failed registration is shown once, in the stored language, and the user's colours,
// language and auto-connect still load: nothing later writes defaults over Color.dat.
TEST(StartUp, AFailedRegistrationIsShownAndTheRestOfTheStartUpWorkGoesOn)
{
    Program program;
    writeBytes(program.home.file("Color.dat"), "1\r\n2\r\n3\r\n4\r\n100\r\n1\r\n");
    writeBytes(program.home.file("SList.dat"), settings::joinLines(serverEntry("a", "1", "True")));
    const auto fail = [] { throw app::RegistrationError(app::RegistrationError::Problem::DanglingLink, "/m.list"); };
    program.core.ApplyLanguage = [](app::Language) {};
    program.core.WriteShellAssociations = fail;
    program.core.createMainWindowData();
    program.core.runStartUpWork();
    EXPECT_EQ(program.trace, std::vector<std::string>{"session a"});
    EXPECT_EQ(program.core.settings().ScriptDelay, "100");
    EXPECT_EQ(program.prompts.errors, std::vector<std::string>{"/m.list verweist auf eine Datei, die es nicht gibt. "
                                                               "Der Verweis bleibt, wie er ist; irc://-Links werden nicht "
                                                               "mit Pell-IRC verknüpft."});
}

// A bad port ending auto-connect is the launcher's; here an error ends only its own step.
TEST(StartUp, AnErrorInTheStartUpWorkSkipsItsLaterPartsButNotTheNextStep)
{
    Program program;
    writeBytes(program.home.file("Color.dat"), "1\r\nred\r\n");
    writeBytes(program.home.file("SList.dat"), settings::joinLines(serverEntry("a", "1", "True")));
    EXPECT_EQ(program.start(), std::vector<std::string>{"about box"});
    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "splash"}));
    EXPECT_EQ(program.prompts.errors, std::vector<std::string>{"'red' is not a valid integer value"});
}

// Table: tests/data/app/links.txt. Every question is answered Yes; No opens nothing.
TEST(CommandLineLink, AsksThenOpensASessionWithTheGlobalIdentity)
{
    for (const bool yes : {true, false})
        for (const auto& c : readCases("app/links.txt")) {
            Program program;
            program.core.settings().Nick = "pat";
            program.prompts.yes = yes;
            app::CommandLineLink(program.core.settings(), program.core.launcher(), program.prompts).Handle(c.lines("arg"));
            EXPECT_EQ(program.prompts.errors, c.lines("shown")) << c.name;
            const auto& opened = program.core.launcher().PendingProfile();
            const std::string session = program.trace.empty() ? "" : opened.Name + " " + opened.Host + " "
                                                                         + std::to_string(opened.Port)
                                                                         + (opened.Tls ? " TLS" : "");
            EXPECT_EQ(session, yes ? c.one("opens") : "") << c.name;
            EXPECT_EQ(opened.Nick, program.trace.empty() ? "" : "pat");
        }
}

TEST(ShellRegistration, MakesUsTheIrcHandlerAndKeepsEveryOtherLine)
{
    TempFolder xdg;
    const app::XdgFolders folders{xdg.file("data"), xdg.file("config")};
    std::filesystem::create_directories(folders.configHome);
    const std::string others = "[Added Associations]\nx-scheme-handler/irc=other.desktop;\n\n[Default Applications]\n"
                               "text/html=firefox.desktop\nx-scheme-handler/irc = other.desktop\n[Removed Associations]\n";
    writeBytes(folders.configHome + "/mimeapps.list", others);
    app::RegisterIrcHandler(folders, "/opt/my \"pell\" 100%/pell-irc", "<svg/>");
    app::RegisterIrcHandler(folders, "/opt/my \"pell\" 100%/pell-irc", "<svg/>"); // every start: no growth
    std::string expected = others;
    expected.replace(expected.find("x-scheme-handler/irc = other"), 36, "x-scheme-handler/irc=pell-irc.desktop");
    expected.insert(expected.find("text/html"), "x-scheme-handler/ircs=pell-irc.desktop\n");
    EXPECT_EQ(readBytes(folders.configHome + "/mimeapps.list"), expected);
    const std::string entry = readBytes(folders.dataHome + "/applications/pell-irc.desktop");
    for (const char* line : {"\nName=Pell-IRC\n", "\nExec=\"/opt/my \\\\\"pell\\\\\" 100%%/pell-irc\" /m %u\n",
                             "\nCategories=Network;Chat;IRCClient;\n", "\nMimeType=x-scheme-handler/irc;x-scheme-handler/ircs;\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line << " in\n" << entry;
    EXPECT_EQ(readBytes(folders.dataHome + "/icons/hicolor/scalable/apps/pell-irc.svg"), "<svg/>");
    // Without a file or a section the section is added; a folder that cannot be made is an error.
    EXPECT_EQ(app::WithIrcHandler("a=b"), "a=b\n\n[Default Applications]\nx-scheme-handler/irc=pell-irc.desktop\n"
                                          "x-scheme-handler/ircs=pell-irc.desktop\n");
    EXPECT_EQ(app::WithIrcHandler("[Default Applications]\n"), "[Default Applications]\nx-scheme-handler/irc=pell-irc.desktop\n"
                                                               "x-scheme-handler/ircs=pell-irc.desktop\n");
    writeBytes(xdg.file("file"), "");
    EXPECT_THROW(app::RegisterIrcHandler({xdg.file("file"), folders.configHome}, "/p", ""), app::RegistrationError);
}

// What the registration cannot read, or finds missing behind a link, it never writes
// over; a program path that is not whole is not registered.
TEST(ShellRegistration, NeverReplacesWhatItCannotReadNorRegistersAPartialPath)
{
    TempFolder xdg;
    const app::XdgFolders folders{xdg.file("data"), xdg.file("config")};
    std::filesystem::create_directories(folders.configHome);
    const std::string list = folders.configHome + "/mimeapps.list";
    std::filesystem::create_symlink(xdg.file("gone"), list);
    EXPECT_THROW(app::RegisterIrcHandler(folders, "/p", ""), app::RegistrationError);
    EXPECT_TRUE(std::filesystem::is_symlink(list));
    std::filesystem::remove(list);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0); // open() refuses it, even to root
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    list.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_THROW(app::RegisterIrcHandler(folders, "/p", ""), app::RegistrationError);
    EXPECT_TRUE(std::filesystem::is_socket(list));
    ::close(socket);
    std::filesystem::remove_all(folders.dataHome);
    for (const char* partial : {"", "pell-irc"})
        EXPECT_THROW(app::RegisterIrcHandler(folders, partial, ""), app::RegistrationError) << partial;
    EXPECT_FALSE(std::filesystem::exists(folders.dataHome + "/applications/pell-irc.desktop"));
}

// Each text's length and fingerprint; a few rows of each are written out in
// tests/data/app/text-rows.txt.
TEST(FixedTexts, HelpInEachLanguageAndTheCaptionTableHaveTheirRowsAndFingerprints)
{
    std::map<std::string, std::vector<std::string>> texts = {
        {"help-en", app::HelpLines(app::Language::English)},
        {"help-de", app::HelpLines(app::Language::German)},
        {"help-built-in", app::BuiltInHelpLines()}};
    for (const app::CaptionRow& row : app::CaptionTable())
        texts["captions"].push_back(std::to_string(static_cast<int>(row.target)) + "|" + std::string(row.english) + "|"
                                    + std::string(row.german));
    for (const char* help : {"help-en", "help-de", "help-built-in"})
        ASSERT_EQ(texts[help].size(), 209u) << help;
    ASSERT_EQ(texts["captions"].size(), 103u);
    for (const auto& c : readCases("app/text-rows.txt"))
        EXPECT_EQ(texts.at(c.name).at(std::stoul(c.one("row"))), c.one("text")) << c.name << " row " << c.one("row");
    EXPECT_EQ(test::checksumOf(texts["help-en"]), 0x20bdc0397c70362bu);
    EXPECT_EQ(test::checksumOf(texts["help-de"]), 0xa3df5c3df13a5f91u);
    EXPECT_EQ(test::checksumOf(texts["help-built-in"]), 0xfa55f71855faefe6u);
    EXPECT_EQ(test::checksumOf(texts["captions"]), 0xdf61feda2214ef13u);
}

// Table: tests/data/app/mappings.txt.
TEST(SmallFunctions, SplashTimeUptimeAndOpenableLinksAreWhatTheTableSays)
{
    for (const auto& c : readCases("app/mappings.txt")) {
        const std::optional<std::string> in = c.has("in") ? std::optional(c.one("in")) : std::nullopt;
        const std::optional<std::string> out = c.has("out") ? std::optional(c.one("out")) : std::nullopt;
        if (c.name == "openable-url")
            EXPECT_EQ(app::openableUrl(*in), out) << *in;
        else
            EXPECT_EQ(c.name == "splash-ms" ? std::to_string(app::splashTime(in).count())
                                            : app::uptimeText(seconds(std::stoll(*in))),
                      out) << c.name << " of " << in.value_or("(unset)");
    }
}

TEST(Uptime, HoursAreNotWrappedEveryFieldHasTwoDigitsAndTheClockDropsTheSeconds)
{
    const app::Uptime uptime(app::Uptime::Clock::time_point{});
    EXPECT_EQ(uptime.text(uptime.start() + milliseconds(3'661'999)), "01:01:01"); // whole seconds
    // The clock drops the seconds and adds the date.
    const std::tm local{.tm_sec = 42, .tm_min = 5, .tm_hour = 7, .tm_mday = 9, .tm_mon = 2, .tm_year = 124};
    EXPECT_EQ(app::clockText(local, "%H:%M:%S", "%d.%m.%Y"), "07:05 --- 09.03.2024");
    EXPECT_EQ(app::clockText(local, "%X", "%x"), "07:05 --- 03/09/24"); // the C locale
    EXPECT_EQ(app::clockText(local, "", "%Y"), " --- 2024");
    // A 12-hour clock keeps its day-half; minutes equal to the seconds stay.
    EXPECT_EQ(app::clockText(local, "%I:%M:%S %p", "%Y"), "07:05 AM --- 2024");
    const std::tm same{.tm_sec = 5, .tm_min = 5, .tm_hour = 19, .tm_mday = 9, .tm_mon = 2, .tm_year = 124};
    EXPECT_EQ(app::clockText(same, "%I:%M:%S %p", "%Y"), "07:05 PM --- 2024");
}

const std::string M = settings::TemplateStore::Marker;

struct Editor {
    TempFolder home;
    settings::SettingsFolder folder{home.folder()};
    settings::TemplateStore store;
    RecordingPrompts prompts;
    app::ScriptEditorModel model{store, folder, prompts};
    const std::string file = home.file("Template.dat");
    void save(const std::string& name, const std::string& body)
    {
        model.SetNameField(name);
        model.SetBodyText(body);
        model.Save();
    }
};

TEST(ScriptEditor, SaveChooseDeleteRoundTripThroughTemplateDat)
{
    Editor e;
    writeBytes(e.file, "kept \xE4 line\r\n\r\n");
    e.model.Create();
    e.save("greet", "hello all\r\n/away lunch\n#room\rlast");
    e.save("Beta", "");
    e.save("alpha", "one\n\n"); // its last, empty line is kept
    EXPECT_EQ(e.model.Names(), (std::vector<std::string>{"alpha", "Beta", "greet"}));
    const std::string first = "kept \xE4 line\r\n\r\n" + M + "\r\ngreet\r\nhello all\r\n/away lunch\r\n#room\r\nlast\r\n";
    const std::string last = M + "\r\nalpha\r\none\r\n\r\n";
    EXPECT_EQ(readBytes(e.file), first + M + "\r\nBeta\r\n" + last);
    e.model.Choose(0);
    EXPECT_EQ(e.model.NameField() + "|" + e.model.BodyText(), "alpha|one\n\n");
    e.model.Choose(1); // Beta, the middle one in the file
    e.model.Delete();
    EXPECT_EQ(readBytes(e.file), first + last);
    std::filesystem::remove(e.file); // nothing chosen: the file is written all the same
    e.model.Delete();
    EXPECT_EQ(readBytes(e.file), first + last);
    EXPECT_TRUE(e.prompts.errors.empty());
    std::filesystem::remove_all(e.home.path()); // a failed write keeps the change in memory
    e.save("new", "");
    EXPECT_EQ(e.prompts.errors.at(0).rfind("Cannot create file", 0), 0u);
    EXPECT_EQ(e.model.Names().size(), 3u);
}

// Table: tests/data/app/script-editor.txt.
TEST(ScriptEditor, SaveRefusesWhatWouldCorruptTheStoreAndCleansWhatItTakes)
{
    for (const auto& c : readCases("app/script-editor.txt")) {
        SCOPED_TRACE(c.name);
        Editor e;
        e.save("greet", "hi");
        e.save(c.one("name"), c.one("body"));
        EXPECT_EQ(settings::Lines(e.store.lines().begin() + 3, e.store.lines().end()), c.lines("added"));
        const std::string error = c.one("error");
        EXPECT_EQ(e.prompts.errors.empty() ? "" : e.prompts.errors.back().substr(0, error.size()), error);
    }
}

// Names fold every letter, as they are stored in UTF-8; the bytes of an older single-byte
// code page fold only their ASCII letters. A NUL byte keeps Template.dat as it is.
TEST(ScriptEditor, NamesFoldBeyondAsciiAndANulByteKeepsTemplateDatAsItIs)
{
    Editor e;
    const std::string stored = M + "\r\n\xC3\x84pfel\r\n" + M + "\r\n\xC4pfel\r\n" + M + "\r\nzebra\r\n" +
                               std::string(1, '\0') + M + "\r\nlost\r\n";
    writeBytes(e.file, stored);
    e.model.Create();
    EXPECT_EQ(e.model.Names(), (std::vector<std::string>{"zebra", "\xC3\x84pfel", "\xC4pfel"}));
    EXPECT_EQ(e.prompts.errors.size(), 1u); // the NUL, said once
    e.save("\xC3\xA4PFEL", "x");             // in UTF-8: the same name
    EXPECT_EQ(e.prompts.errors.back(), "Template already exists");
    e.save("\xE4pfel", "x"); // in Latin-1: another name than "\xC4pfel"
    EXPECT_EQ(e.model.Names().size(), 4u);
    EXPECT_EQ(readBytes(e.file), stored);
}

TEST(ScriptEditor, AnUnreadableTemplateDatIsNeverOverwritten)
{
    Editor e;
    std::filesystem::create_symlink("Template.dat", e.file); // a loop: stat fails, a rename would not
    e.model.Create();
    e.save("greet", "hi");
    EXPECT_EQ(e.prompts.errors.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_symlink(e.file));
    EXPECT_EQ(e.model.Names(), std::vector<std::string>{"greet"});
}

} // namespace
