#include "app/AppCore.h"
#include "app/LinkPolicy.h"
#include "app/StartUp.h"
#include "app/Uptime.h"

#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

using namespace pell;
using namespace pell::test;
using namespace std::chrono;

namespace {

// The creation steps of the long-lived windows as the program runs them, over one folder;
// each session window and each part of the start-up work goes into the trace.
struct Program : settings::SessionWindowFactory {
    TempFolder home;
    RecordingPrompts prompts;
    std::vector<std::string> trace;
    app::AppCore core{home.folder(), *this, prompts};

    void createSessionWindow(const settings::TSSettings& pending) override { trace.push_back("session " + pending.Name); }

    std::vector<std::string> start()
    {
        core.WriteShellAssociations = [this] { trace.push_back("associations"); };
        core.ApplyLanguage = [this] { trace.push_back("language"); };
        core.HandleCommandLineLink = [this] { trace.push_back("link"); };
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
    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "link", "splash"}));
}

TEST(StartUp, SettingsAreLoadedAndAutoConnectSessionsOpenBeforeTheSplash)
{
    Program program;
    writeBytes(program.home.file("SList.dat"), settings::joinLines(serverList({serverEntry("one", "1", "True"),
        serverEntry("two"), serverEntry("three", "3", "True")}).lines()));
    writeBytes(program.home.file("Color.dat"), "1\r\n2\r\n3\r\n4\r\n100\r\n1\r\n");
    writeBytes(program.home.file("Template.dat"), "lead\r\n");
    EXPECT_TRUE(program.start().empty());
    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "language", "session one", "session three",
                                                       "link", "splash"}));
    EXPECT_EQ(program.core.serverViews().menuCaptions(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(program.core.templates().lines(), settings::Lines{"lead"});
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

TEST(StartUp, SplashTimeComesFromTheEnvironmentWhenItIsAWholeNumber)
{
    const std::pair<std::optional<std::string>, int> cases[] = {
        {std::nullopt, 3000}, {"", 3000}, {"50", 50}, {"0", 0}, {"-5", 3000}, {"fast", 3000}, {"50ms", 3000},
        {"99999999999999999999", 3000}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(app::splashTime(value), milliseconds(expected)) << value.value_or("(unset)");
}

TEST(Uptime, HoursAreNotWrappedEveryFieldHasTwoDigitsAndTheClockDropsTheSeconds)
{
    const std::pair<seconds, const char*> cases[] = {{seconds(0), "00:00:00"}, {hours(9) + minutes(5) + seconds(7),
        "09:05:07"}, {seconds(60), "00:01:00"}, {hours(1000) + seconds(1), "1000:00:01"}, {seconds(-5), "00:00:00"}};
    for (const auto& [elapsed, text] : cases)
        EXPECT_EQ(app::uptimeText(elapsed), text) << elapsed.count();
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

TEST(LinkPolicy, OnlyWebAndMailAddressesOpenAndWwwOpensAsHttp)
{
    for (const char* address : {"http://example.org/", "https://example.org/a?b=c#d", "ftp://files.example.org/x",
                                "mailto:someone@example.org", "HTTP://EXAMPLE.ORG", "Https://x"})
        EXPECT_EQ(app::openableUrl(address), std::optional<std::string>(address)) << address;
    EXPECT_EQ(app::openableUrl("WWW.example.org/path"), "http://WWW.example.org/path");
    for (const char* address : {"", "file:///etc/passwd", "javascript:alert(1)", "irc://irc.example.org/chan",
                                "example.org", "http://", "www.", "wwwexample.org", " http://example.org",
                                "http://exa mple.org", "http://example.org\n--help", "https://x\x7f", "mailto:"})
        EXPECT_EQ(app::openableUrl(address), std::nullopt) << address;
}

} // namespace
