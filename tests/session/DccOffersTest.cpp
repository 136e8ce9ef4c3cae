#include "WiredSession.h"
#include "direct/ListenPort.h"
#include "session/ChatOffers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace pell::session::testing {
namespace {

namespace fs = std::filesystem;

struct DccOffersTest : ::testing::Test, WiredSession {
    fs::path root = fs::temp_directory_path() / ("dcc-offers-" + std::to_string(::getpid()));
    DccOffers offers{irc, model, settings, prompts, gui};

    DccOffersTest()
    {
        offers.DefaultDownloadFolder = root.string();
        offers.Bind();
        events.Bind();
        connect();
        serverSends({":srv 001 me :Welcome"});
        newLines();
    }
    ~DccOffersTest() override { fs::remove_all(root); }

    // The offer as bob sends it; the lines it leaves in "Main".
    std::vector<std::string> offer(const std::string& words)
    {
        serverSends({":bob!b@h PRIVMSG me :\x01" "DCC " + words + "\x01"});
        std::vector<std::string> lines;
        for (const auto& line : newLines())
            lines.push_back(line.substr(line.find('|') + 1));
        return lines;
    }
};

TEST_F(DccOffersTest, OffersAreJudgedByListsAndMode)
{
    const std::string closed = "2130706433 1 12";
    struct Row { int mode; std::string words; std::vector<std::string> lines; std::size_t downloads, asked; };
    const Row rows[] = {
        {-1, "SEND setup.EXE 3232235786 5000 1234",
         {"<System>:DCC Recieve: from bob(3232235786:5000):setup.EXE:1234|system",
          "<System>:DCC blocked: from bob(3232235786:5000):setup.EXE:1234|system"}, 0, 0},
        {-1, "SEND song.mp3 " + closed, {"<System>:DCC Recieve: from bob(2130706433:1):song.mp3:12|system"}, 1, 0},
        {-1, "SEND notes.txt " + closed, {"<System>:DCC Recieve: from bob(2130706433:1):notes.txt:12|system"}, 1, 1},
        {1, "SEND notes.txt " + closed, {"<System>:DCC Recieve: from bob(2130706433:1):notes.txt:12|system"}, 2, 1},
        {2, "SEND song.mp3 " + closed, {"<System>:DCC Recieve: from bob(2130706433:1):song.mp3:12|system"}, 2, 1},
        {1, "SEND x.bin inf 1 12", {}, 2, 1},
        {1, "SEND x.bin 2130706433  12", {"<System>:DCC Recieve: from bob(2130706433:59):x.bin:12|system"}, 3, 1},
        {1, "SEND \"my song.txt\" 2130706433 1 12",
         {"<System>:DCC Recieve: from bob(2130706433:1):my song.txt:12|system"}, 4, 1},
        {1, "RESUME a.txt 5000 100", {"<System>:DCC Resume: bob: (5000) a.txt|system"}, 4, 1},
        {1, "ACCEPT a.txt 5000 100", {"<System>:DCC Accept: bob: (5000) a.txt|system"}, 4, 1},
    };
    for (const Row& row : rows) {
        settings.DownloadMode = row.mode;
        EXPECT_EQ(offer(row.words), row.lines) << row.words;
        EXPECT_EQ(offers.Downloads().size(), row.downloads) << row.words;
        EXPECT_EQ(prompts.asked.size(), row.asked) << row.words;
    }
    EXPECT_EQ(prompts.asked.at(0), "Confirm|Download notes.txt(12) from bob(2130706433)");
    EXPECT_EQ(offers.Downloads().at(2)->Offer().Port, 59);
    settings.DisablePatterns = {"*.*"};
    EXPECT_EQ(offer("SEND song.mp3 " + closed).size(), 2u);
}

// Asks from inside the question box, as the event loop of a real one would.
struct ReenteringPrompts : FakePrompts {
    std::function<void()> whileOpen;
    bool askYesNo(const std::string& caption, const std::string& question) override
    {
        if (whileOpen)
            std::exchange(whileOpen, nullptr)();
        return FakePrompts::askYesNo(caption, question);
    }
};

TEST_F(DccOffersTest, FloodsAreBounded)
{
    ReenteringPrompts asking;
    DccOffers bounded{irc, model, settings, asking, gui};
    bounded.DefaultDownloadFolder = root.string();
    settings.DownloadMode = 0;
    asking.whileOpen = [&] { bounded.IdIRC1DCCSend("eve", "2130706433", "1", "b.txt", "1"); };
    bounded.IdIRC1DCCSend("eve", "2130706433", "1", "a.txt", "1");
    EXPECT_EQ(asking.asked.size(), 1u);
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC dropped: from eve(2130706433:1):b.txt:1");
    ChatOffers chats{irc, model, settings, asking, gui, bounded}; // shares the box
    asking.whileOpen = [&] { chats.IdIRC1DCCChat("eve", "2130706433", "1"); };
    bounded.IdIRC1DCCSend("eve", "2130706433", "1", "c.txt", "1");
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat dropped: eve: (2130706433:1)");

    settings.DownloadMode = 1;
    for (int i = 0; i < 100; ++i)
        bounded.IdIRC1DCCSend("eve", "2130706433", "1", "f.txt", "1");
    EXPECT_EQ(bounded.Downloads().size(), DccOffers::MaxDownloads);
}

TEST_F(DccOffersTest, SendingAFileOffersItWithBlanksAsUnderscores)
{
    fs::create_directories(root);
    std::ofstream(root / "a b.txt") << "twelve bytes";
    offers.OnChannelDCCSend("bob", (root / "a b.txt").string());
    ASSERT_EQ(offers.Sends().size(), 1u);
    const int port = offers.Sends().front()->Port;
    EXPECT_TRUE(fake.waitForReceived("NOTICE bob :DCC Send a b.txt (127.0.0.1)\r\n"));
    EXPECT_TRUE(fake.waitForReceived("PRIVMSG bob :\x01" "DCC SEND a_b.txt 2130706433 " + std::to_string(port) +
                                     " 12\x01\r\n"));
    EXPECT_EQ(linesOf("Main").at(linesOf("Main").size() - 1), "<System>:DCC send:  bob:" + (root / "a b.txt").string());

    offers.OnChannelDCCSend("bob", (root / "missing").string());
    EXPECT_EQ(prompts.errors.size(), 1u);
    const int saved = direct::NextListenPort();
    direct::NextListenPort() = 50001;
    offers.OnChannelDCCSend("bob", (root / "a b.txt").string());
    direct::NextListenPort() = saved;
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC send failed: no free port for " + (root / "a b.txt").string());
    irc.Raw("PING :done");
    EXPECT_TRUE(fake.waitForReceived("PING :done"));
    EXPECT_EQ(fake.received().find("DCC SEND", fake.received().find("DCC SEND") + 1), std::string::npos);
}

} // namespace
} // namespace pell::session::testing
