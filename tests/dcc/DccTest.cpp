#include "dcc/DccDownload.h"
#include "dcc/DccNumbers.h"
#include "dcc/DccSend.h"
#include "dcc/DownloadFolder.h"
#include "dcc/ListenPort.h"
#include "dcc/TransferProgress.h"
#include "doubles/EventQueue.h"
#include "support/CaseFile.h"
#include "support/Loopback.h"

#include "net/LocalAddress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <thread>
#include <unistd.h>

namespace pell::dcc {
namespace {

namespace fs = std::filesystem;

TEST(DccNumbers, AcknowledgementIsLow32BitsMostSignificantFirst)
{
    using Bytes = std::array<unsigned char, 4>;
    EXPECT_TRUE(EncodeAck(10000) == (Bytes{0x00, 0x00, 0x27, 0x10}) && EncodeAck(4294967296ull + 5) == (Bytes{0, 0, 0, 5}));
    EXPECT_EQ(DecodeAck(std::array<unsigned char, 4>{0xFF, 0xFF, 0xFF, 0xFF}.data()), 4294967295u);
}

TransferProgress started(std::int64_t size)
{
    TransferProgress p(TransferProgress::Kind::Download);
    return p.FileSize = size, p.StartDownload(0), p;
}

TEST(TransferProgress, RedrawsAtThresholdsWithPercentAndEstimate)
{
    TransferProgress p = started(1000);
    EXPECT_EQ(p.PercentText, "");
    // Redrawn at exactly the threshold; the next one is 30, not 35.
    EXPECT_EQ((std::vector<bool>{p.OnDCCProgress(9, 5), p.OnDCCProgress(10, 5), p.OnDCCProgress(25, 5), p.OnDCCProgress(29, 5)}),
              (std::vector<bool>{false, true, true, false}));
    EXPECT_TRUE(p.NextUpdateAt == 30 && p.BytesText == "25 bytes") << p.NextUpdateAt << p.BytesText;

    TransferProgress send(TransferProgress::Kind::Send);
    send.FileSize = 200;
    send.StartTick = 1000;
    EXPECT_TRUE(send.OnDCCProgress(0, 1000));
    EXPECT_EQ(send.EstimateText, "Estimated Time Left: 0s");
    const auto texts = [](const TransferProgress& p) { return p.PercentText + "|" + p.ElapsedText + "|" + p.EstimateText; };
    send.OnDCCProgress(25, 3000);
    EXPECT_EQ(texts(send), "12%|Elapsed Time: 2s|Estimated Time Left: 14s");
    send.OnDCCProgress(250, 3000); // more than announced
    EXPECT_EQ(texts(send), "100%|Elapsed Time: 2s|Estimated Time Left: ????");
    // Over 4 GiB the remaining bytes and the estimate stay right.
    TransferProgress big = started(6000000000);
    big.OnDCCProgress(3000000000, 10000);
    EXPECT_EQ(texts(big), "50%|Elapsed Time: 10s|Estimated Time Left: 10s");
    EXPECT_EQ(big.ElapsedMs(5), 5); // the tick counter wrapped
}

struct FolderTest : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("dcc-folders-" + std::to_string(::getpid()));
    void TearDown() override { fs::remove_all(root); }
    std::string create(const std::string& offered)
    {
        std::string path;
        return ::close(CreateDownloadFile(root.string() + "/", SafeFileName(offered), path)), fs::path(path).filename().string();
    }
};

TEST_F(FolderTest, LastMatchingRuleDecidesAndFoldersAreMade)
{
    const std::string pics = (root / "Pics").string(), def = (root / "Downloads/").string();
    const DownloadRules jpgLast{{{"*.*", "Rootfolder"}, {"*.jpg", pics}}, def};
    const DownloadRules allLast{{{"*.jpg", pics}, {"*.*", "Rootfolder"}}, def};
    EXPECT_TRUE(DownloadFolderFor("photo.JPG", jpgLast) == pics + "/" && fs::is_directory(pics));
    EXPECT_EQ(DownloadFolderFor("photo.JPG", allLast), def);
    EXPECT_EQ(DownloadFolderFor("README", DownloadRules{{{"*.*", pics}}, def}), pics + "/");
    EXPECT_EQ(ExtensionPattern("dir.d/README"), "*");
}

TEST_F(FolderTest, NumbersAndHostileNamesFromTheDataFile)
{
    fs::create_directories(root);
    // Every row of the data file, its offered names all made in this one folder.
    const TransferProgress download(TransferProgress::Kind::Download), send(TransferProgress::Kind::Send);
    const std::map<std::string, std::function<std::string(const std::string&)>> functions = {
        {"port", [](auto& s) { return std::to_string(ReadOfferPort(s).value_or(0)); }},
        {"dotted", [](auto& s) { return DottedFromOffer(s).value_or(""); }},
        {"host", [](auto& s) { return HostFromOffer(s).value_or(""); }},
        {"offer address", [](auto& s) { return net::OfferAddressOf(s); }},
        {"size", [](auto& s) { return std::to_string(ReadOfferSize(s)); }},
        {"duration", [&](auto& s) { return download.FormatDuration(std::stoi(s)); }},
        {"send duration", [&](auto& s) { return send.FormatDuration(std::stoi(s)); }},
        {"round half even", [](auto& s) { return std::to_string(RoundHalfEven(std::stod(s))); }},
        {"step", [](auto& s) { return std::to_string(started(std::stoll(s)).UpdateStep); }},
        {"file name", [&](auto& s) { return create(s); }}};
    for (const test::Case& c : test::readCases("dcc/dcc.cases"))
        for (const std::string& row : c.lines("row")) {
            const std::size_t arrow = row.find(" =>");
            ASSERT_NE(arrow, std::string::npos) << row;
            const std::string expected = row.substr(std::min(row.size(), arrow + 4));
            EXPECT_EQ(functions.at(c.name)(row.substr(0, arrow)), expected) << c.name << ": " << row;
        }
    for (int twice = 0; twice < 2; ++twice) {
        const std::string longName = create(std::string(300, 'n') + ".txt");
        EXPECT_TRUE(longName.size() == 255 && longName.ends_with(".txt")) << longName;
    }
    // A link in the folder is never followed.
    const fs::path target = root.parent_path() / ("dcc-target-" + std::to_string(::getpid()));
    std::ofstream(target) << "keep", fs::create_symlink(target, root / "b.txt");
    EXPECT_TRUE(create("b.txt") == "b0.txt" && fs::file_size(target) == 4);
    fs::remove(target);
}

TEST(ListenPort, TakesTheNextFreePortAndSkipsTakenOnes)
{
    int taken = 0, blocker = test::listenLoopback(1, taken);
    while (taken > 49000) // the search ends at 50000
        ::close(blocker), blocker = test::listenLoopback(1, taken);
    const int saved = NextListenPort();
    NextListenPort() = taken;
    net::TcpServer first, second; // other programs may hold the ports after it too
    const int one = OpenListener(first).value_or(0);
    EXPECT_TRUE(one > taken && NextListenPort() == one + 1) << one;
    EXPECT_GT(OpenListener(second).value_or(0), one);
    net::TcpServer none;
    ::close(blocker), NextListenPort() = 50001;
    EXPECT_TRUE(!OpenListener(none) && NextListenPort() == 50001);
    NextListenPort() = saved;
}

std::string randomBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    std::generate(bytes.begin(), bytes.end(), [random = std::mt19937(static_cast<unsigned>(size))]() mutable { return static_cast<char>(random()); });
    return bytes;
}

std::string contentOf(const fs::path& path) { return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}}; }

struct DccTransfer : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("dcc-wire-" + std::to_string(::getpid()));
    test::EventQueue queue;
    ReceiveTiming fast{300, 0, 1};

    // Off port 59, where a real program may listen and other tests' offers connect.
    void SetUp() override { fs::create_directories(root / "out"), NextListenPort() = 20000 + ::getpid() % 20000; }
    void TearDown() override { fs::remove_all(root); }

    std::unique_ptr<DccDownload> download(int port, std::int64_t size, ReceiveTiming timing)
    {
        auto d = std::make_unique<DccDownload>(queue, DownloadOffer{"127.0.0.1", port, "f.bin", size},
                                               DownloadRules{{}, (root / "in").string()}, timing);
        return d->StartDownload(), std::move(d);
    }
    void finish(DccDownload& d, int ms = 20000) { ASSERT_TRUE(queue.pumpUntil([&] { return !d.Running(); }, std::chrono::milliseconds(ms))); }
    std::string received() { return contentOf(root / "in" / "f.bin"); }
};

// A listening peer run by a script on its own thread.
struct ScriptedPeer {
    int port = 0;
    int listener = test::listenLoopback(1, port);
    std::thread thread;
    template <typename Script> explicit ScriptedPeer(Script script)
    {
        thread = std::thread([this, script] {
            if (const int socket = test::acceptFor(listener, 5000); socket >= 0 && (script(socket), true))
                ::close(socket);
        });
    }
    ~ScriptedPeer() { thread.join(), ::close(listener); }
};

TEST_F(DccTransfer, OurSenderToOurReceiverForEachSize)
{
    for (const std::string& row : test::readCases("dcc/sizes.cases").front().lines("size")) {
        const std::size_t size = std::stoul(row);
        const std::string bytes = randomBytes(size);
        std::ofstream(root / "out" / "f.bin", std::ios::binary) << bytes;
        DccSend send(queue);
        send.SetSendFile((root / "out" / "f.bin").string());
        ASSERT_TRUE(send.OpenListener());
        auto d = download(send.Port, static_cast<std::int64_t>(size), fast);
        finish(*d);
        EXPECT_TRUE(received() == bytes) << size;
        const auto& log = d->Log().Lines();
        EXPECT_EQ(log[log.size() - 2] + "|" + log.back(), "FINAL checksum: " + std::to_string(size) + "|wrote FINAL checksum");
        EXPECT_TRUE(queue.pumpUntil([&] { return send.Log().Last() == "Remote CRC = " + std::to_string(size) + " local = " + std::to_string(size); })) << send.Log().Last();
        EXPECT_EQ(send.Progress().BytesText, std::to_string(size) + " bytes") << "SEND";
        // A file of 0 bytes never reaches the first threshold.
        EXPECT_EQ(d->Progress().BytesText, size > 0 ? std::to_string(size) + " bytes" : "BytesTransferred");
        fs::remove(root / "in" / "f.bin");
    }
}

TEST_F(DccTransfer, SenderWaitingForEachAckOf1024IsNotStalled)
{
    const std::string bytes = randomBytes(20 * 1024);
    ScriptedPeer sender([&](int socket) {
        for (std::size_t sent = 0; sent < bytes.size(); sent += 1024) {
            test::sendAll(socket, bytes.substr(sent, 1024));
            std::string ack;
            while (test::readExactly(socket, 4, ack, 5000) && DecodeAck(reinterpret_cast<const unsigned char*>(ack.data() + ack.size() - 4)) < sent + 1024) {
            }
        }
    });
    // The real waits: a stall would take 10 s per block.
    auto d = download(sender.port, static_cast<std::int64_t>(bytes.size()), ReceiveTiming{});
    finish(*d, 3000);
    EXPECT_TRUE(received() == bytes);
}

TEST_F(DccTransfer, SenderClosingMidFileLeavesThePartialFile)
{
    ScriptedPeer sender([](int socket) { test::sendAll(socket, std::string(5000, 'x')); });
    auto d = download(sender.port, 10000, fast);
    finish(*d);
    EXPECT_TRUE(received() == std::string(5000, 'x') && d->Log().Last() == "Die Verbindung wurde erfolgreich geschlossen.") << d->Log().Last();
}

TEST_F(DccTransfer, ClosedPortLeavesOnlyTheErrorLine)
{
    int port = 0;
    ::close(test::listenLoopback(1, port));
    auto d = download(port, 10, fast);
    finish(*d);
    EXPECT_TRUE(d->Log().Lines().size() == 1 && d->Log().Last().starts_with("Socket-Fehler # 111") && !fs::exists(root / "in" / "f.bin")) << d->Log().Last();
}

// A receiver of the usual convention acknowledges what it has and closes at the end.
int connectTo(int port)
{
    sockaddr_in address{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    return ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? socket : (::close(socket), -1);
}

std::string receiveAll(int port, std::size_t size)
{
    const int socket = connectTo(port);
    std::string all; // readExactly appends
    if (socket >= 0)
        while (all.size() < size && test::readExactly(socket, std::min<std::size_t>(size - all.size(), 1000), all, 3000)) {
            const auto ack = EncodeAck(all.size());
            test::sendAll(socket, std::string(ack.begin(), ack.end()));
        }
    // Nothing beyond the announced size may follow.
    test::readExactly(socket, 1, all, 300);
    ::close(socket);
    return all;
}

void waitPending(const test::EventQueue& queue)
{
    for (int i = 0; i < 500 && queue.pending() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST_F(DccTransfer, EachReceiverGetsTheOfferedSizeOnceEvenWhenTheFileChanges)
{
    const fs::path file = root / "out" / "g.bin";
    std::ofstream(file, std::ios::binary) << randomBytes(10000);
    DccSend send(queue);
    send.SetSendFile(file.string());
    ASSERT_TRUE(send.OpenListener());
    std::string got;
    auto run = [&] {
        auto peer = std::async(std::launch::async, receiveAll, send.Port, 10000);
        queue.pumpUntil([&] { return peer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        got = peer.get();
    };
    EXPECT_TRUE((run(), got == contentOf(file))) << got.size();
    std::ofstream(file, std::ios::binary | std::ios::app) << "grown";
    EXPECT_EQ((run(), got.size()), 10000u);
    std::vector<int> flood(30); // each served one waits for acknowledgements
    for (int& socket : flood)
        socket = connectTo(send.Port);
    queue.pumpUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(send.Receivers(), DccSend::MaxReceivers); // the others were closed at once
    std::for_each(flood.begin(), flood.end(), ::close);
    fs::resize_file(file, 5000);
    EXPECT_TRUE((run(), got.empty()));
    EXPECT_TRUE(queue.pumpUntil([&] { return send.Log().Last() == "File ended early: 5000 of 10000 bytes"; }));
}

TEST_F(DccTransfer, ClosingWhileWorkersWaitForTheGuiThreadDropsTheirReports)
{
    int reports = 0;
    ScriptedPeer sender([](int socket) {
        test::sendAll(socket, "abc");
        std::string rest;
        test::readExactly(socket, 1, rest, 3000); // held open until the receiver goes
    });
    auto d = download(sender.port, 3, fast);
    d->StatusAdded = [&](const std::string&) { ++reports; }, d->Ended = [&] { ++reports; };
    waitPending(queue);
    queue.pump(), waitPending(queue); // the first progress report: now it connects and names its file
    // A pump also runs what the worker posts meanwhile: only reports after the close count.
    reports = 0;
    d.reset(); // its worker waits in a report now
    std::ofstream(root / "out" / "h.bin") << std::string(100000, 'h');
    auto send = std::make_unique<DccSend>(queue);
    send->SetSendFile((root / "out" / "h.bin").string());
    ASSERT_TRUE(send->OpenListener());
    send->ProgressChanged = [&] { ++reports; };
    std::thread peer([port = send->Port] { receiveAll(port, 100000); });
    waitPending(queue);
    send.reset(), peer.join(), queue.pump();
    EXPECT_EQ(reports, 0);
}

} // namespace
} // namespace pell::dcc
