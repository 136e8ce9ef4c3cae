#include "EventsHarness.h"

#include <gtest/gtest.h>

#include <map>

namespace pell::session::testing {

namespace {

const char* colourWord(Rgb colour, const settings::AppSettings& s)
{
    if (colour == static_cast<Rgb>(s.OwnColour))
        return "own";
    if (colour == static_cast<Rgb>(s.OthersColour))
        return "others";
    if (colour == static_cast<Rgb>(s.SystemColour))
        return "system";
    if (colour == static_cast<Rgb>(s.ActionColour))
        return "action";
    return "?";
}

} // namespace

EventsHarness::EventsHarness()
{
    settings.OwnColour = 0x111111;
    settings.OthersColour = 0x222222;
    settings.SystemColour = 0x333333;
    settings.ActionColour = 0x444444;
    events.Bind();
    irc.SetNick("me");
    irc.Host = "127.0.0.1";
    irc.Port = fake.port();
    irc.Connect(3000);
    EXPECT_TRUE(fake.waitForClient());
    serverSends({":srv 001 me :Welcome"});
    EXPECT_EQ(irc.State(), irc::csConnected);
    newLines();
}

EventsHarness::~EventsHarness()
{
    irc.Disconnect(true);
}

void EventsHarness::serverSends(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    // Every line leaves exactly one raw-log entry, so the count says when all are in.
    const std::size_t expected = model.Raw().Entries().size() + lines.size();
    fake.send(bytes);
    ASSERT_TRUE(queue.pumpUntil([&] { return model.Raw().Entries().size() >= expected; }));
}

std::vector<std::string> EventsHarness::newLines()
{
    // Lines only grow, so a tab's new lines are its last ones, one per report.
    std::map<TabId, std::size_t> next;
    for (std::size_t k = seen_; k < view.appended.size(); ++k)
        ++next[view.appended[k]];
    for (auto& [id, count] : next) {
        const int index = model.Tabs().IndexOfId(id);
        count = index < 0 ? 0 : model.Tabs().At(index).Text->Lines().size() - count;
    }
    std::vector<std::string> out;
    for (; seen_ < view.appended.size(); ++seen_) {
        const TabId id = view.appended[seen_];
        const int index = model.Tabs().IndexOfId(id);
        if (index < 0)
            continue;
        const auto& tab = model.Tabs().At(index);
        const FormattedLine& line = tab.Text->Lines().at(next[id]++);
        out.push_back(tab.Caption + "|" + line.PlainText() + "|" + colourWord(line.BaseColour(), settings));
    }
    return out;
}

std::vector<std::string> EventsHarness::nicksOf(const std::string& caption)
{
    const int index = model.Tabs().Find(caption);
    if (index < 0 || !model.Tabs().At(index).Nicks)
        return {};
    return model.Tabs().At(index).Nicks->Entries();
}

} // namespace pell::session::testing
