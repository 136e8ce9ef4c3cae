#include "app/AppCore.h"
#include "app/StartUp.h"

#include "settings/SettingsError.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace pell;
using namespace pell::test;

namespace {

std::string entry(const std::string& name, const std::string& autoConnect, const std::string& port = "6667")
{
    std::string lines;
    for (const std::string& line : std::initializer_list<std::string>{name, "127.0.0.1", port, autoConnect, "nick", "Real", "user", "",
                                    "False", "False", "False", "False"})
        lines += line + "\r\n";
    return lines;
}

// Writes each session window it is asked for into the trace of what happened.
class TracingWindows : public settings::SessionWindowFactory {
public:
    explicit TracingWindows(std::vector<std::string>& trace) : trace_(trace) {}
    void createSessionWindow(const settings::TSSettings& pending) override { trace_.push_back("session " + pending.Name); }

private:
    std::vector<std::string>& trace_;
};

// The creation steps of the long-lived windows as the program runs them, over one folder.
struct Program {
    TempFolder home;
    RecordingPrompts prompts;
    std::vector<std::string> trace;
    TracingWindows windows{trace};
    app::AppCore core{home.folder(), windows, prompts};

    Program()
    {
        core.WriteShellAssociations = [this] { trace.push_back("associations"); };
        core.ApplyLanguage = [this] { trace.push_back("language"); };
        core.HandleCommandLineLink = [this] { trace.push_back("link"); };
    }

    std::vector<std::string> start()
    {
        app::StartUp startUp(prompts);
        startUp.add("main window", [&] { core.createMainWindowData(); });
        startUp.add("options", [&] { core.loadOptions(); });
        startUp.add("script editor", [&] { core.loadTemplates(); });
        startUp.add("about box", [&] { core.runStartUpWork(); });
        startUp.add("splash", [&] { trace.push_back("splash"); });
        return startUp.run();
    }
};

TEST(StartUp, StepsRunInOrderAndAnErrorEndsOnlyItsOwnStep)
{
    RecordingPrompts prompts;
    std::vector<std::string> ran;
    app::StartUp startUp(prompts);
    startUp.add("first", [&] { ran.push_back("first"); });
    startUp.add("second", [&] {
        ran.push_back("second begun");
        throw settings::ConversionError("x");
    });
    startUp.add("third", [&] { ran.push_back("third"); });

    EXPECT_EQ(startUp.run(), std::vector<std::string>{"second"});
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second begun", "third"}));
    EXPECT_EQ(prompts.errors, std::vector<std::string>{"'x' is not a valid integer value"});
}

TEST(StartUp, WithoutSettingsFilesEverythingHasItsDefaultAndNoSessionOpens)
{
    Program program;
    EXPECT_TRUE(program.start().empty());
    EXPECT_TRUE(program.prompts.errors.empty());
    EXPECT_EQ(program.core.settings(), settings::AppSettings{});
    EXPECT_TRUE(program.core.serverViews().menuCaptions().empty());
    EXPECT_TRUE(program.core.templates().lines().empty());
    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "link", "splash"}));
}

TEST(StartUp, SettingsAreLoadedAndAutoConnectSessionsOpenBeforeTheSplash)
{
    Program program;
    writeBytes(program.home.file("SList.dat"), entry("one", "True") + entry("two", "False") + entry("three", "True"));
    writeBytes(program.home.file("settings.ini"), "Me\r\n");
    writeBytes(program.home.file("Proxy.ini"), "proxy.local\r\n1080\r\n");
    writeBytes(program.home.file("Color.dat"), "1\r\n2\r\n3\r\n4\r\n100\r\n1\r\n");
    program.start();

    EXPECT_EQ(program.trace, (std::vector<std::string>{"associations", "language", "session one", "session three",
                                                       "link", "splash"}));
    EXPECT_EQ(program.core.settings().Nick, "Me");
    EXPECT_EQ(program.core.settings().ProxyHost, "proxy.local");
    EXPECT_EQ(program.core.settings().ScriptDelay, "100");
    EXPECT_EQ(program.core.serverViews().menuCaptions(), (std::vector<std::string>{"one", "two", "three"}));
}

TEST(StartUp, AnErrorInTheStartUpWorkSkipsItsLaterPartsButNotTheSplash)
{
    struct Case {
        const char* name;
        std::string colorDat;
        std::string slist;
        std::vector<std::string> expected;
        std::vector<std::string> failed;
    };
    const Case cases[] = {
        {"a bad colour ends the step before auto-connect", "1\r\nred\r\n", entry("a", "True"),
         {"associations", "splash"}, {"about box"}},
        {"a bad port ends auto-connect and the link", "", entry("a", "True", "66x67") + entry("b", "True"),
         {"associations", "splash"}, {"about box"}},
        {"a bad port in an entry not started is harmless", "", entry("a", "False", "x") + entry("b", "True"),
         {"associations", "session b", "link", "splash"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Program program;
        if (!c.colorDat.empty())
            writeBytes(program.home.file("Color.dat"), c.colorDat);
        writeBytes(program.home.file("SList.dat"), c.slist);
        EXPECT_EQ(program.start(), c.failed);
        EXPECT_EQ(program.trace, c.expected);
        EXPECT_EQ(program.prompts.errors.size(), c.failed.size());
    }
}

TEST(StartUp, SplashTimeComesFromTheEnvironmentWhenItIsAWholeNumber)
{
    using std::chrono::milliseconds;
    const std::pair<std::optional<std::string>, milliseconds> cases[] = {
        {std::nullopt, milliseconds(3000)}, {"", milliseconds(3000)},   {"50", milliseconds(50)},
        {"0", milliseconds(0)},             {"-5", milliseconds(3000)}, {"fast", milliseconds(3000)},
        {"50ms", milliseconds(3000)},       {"99999999999999999999", milliseconds(3000)},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value.value_or("(unset)"));
        EXPECT_EQ(app::splashTime(value), expected);
    }
}

} // namespace
