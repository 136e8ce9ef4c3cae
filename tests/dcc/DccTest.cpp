#include "dcc/DccDownload.h"
#include "dcc/DccNumbers.h"
#include "dcc/DccSend.h"
#include "dcc/DownloadFolder.h"
#include "dcc/ListenPort.h"
#include "dcc/TransferProgress.h"
#include "doubles/EventQueue.h"
#include "doubles/TempFolder.h"
#include "support/CaseFile.h"
#include "support/Loopback.h"
#include "support/FakeServer.h"

#include "net/LocalAddress.h"

#include <gtest/gtest.h>

#include <algorithm>
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
using Lines = std::vector<std::string>;

TEST(DccNumbers, AcknowledgementIsLow32BitsMostSignificantFirst)
{
    using Bytes = std::array<unsigned char, 4>;
    EXPECT_EQ(EncodeAck(10000), (Bytes{0x00, 0x00, 0x27, 0x10}));
    EXPECT_EQ(EncodeAck(4294967296ull + 5), (Bytes{0, 0, 0, 5}));
    EXPECT_EQ(DecodeAck(Bytes{0xFF, 0xFF, 0xFF, 0xFF}.data()), 4294967295u);
}

TransferProgress started(std::int64_t size)
{
    TransferProgress p(TransferProgress::Kind::Download);
    p.FileSize = size;
    p.StartDownload(0);
    return p;
}

std::string texts(const TransferProgress& p)
{
    return p.PercentText + "|" + p.ElapsedText + "|" + p.EstimateText;
}

TEST(TransferProgress, RedrawsAtThresholdsWithPercentAndEstimate)
{
    TransferProgress p = started(1000);
    EXPECT_EQ(p.PercentText, "");
    // Redrawn at exactly the threshold; the next one is 30, not 35.
    const std::vector<bool> redrawn{p.OnDCCProgress(9, 5), p.OnDCCProgress(10, 5), p.OnDCCProgress(25, 5),
                                    p.OnDCCProgress(29, 5)};
    EXPECT_EQ(redrawn, (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(p.NextUpdateAt, 30);
    EXPECT_EQ(p.BytesText, "25 bytes");

    TransferProgress send(TransferProgress::Kind::Send);
    send.FileSize = 200;
    send.StartTick = 1000;
    EXPECT_TRUE(send.OnDCCProgress(0, 1000));
    EXPECT_EQ(send.EstimateText, "Estimated Time Left: 0s");
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
    test::TempFolder root;
    std::string create(const std::string& offered)
    {
        std::string path;
        ::close(CreateDownloadFile(root.folder(), SafeFileName(offered), path));
        return fs::path(path).filename().string();
    }
};

TEST_F(FolderTest, LastMatchingRuleDecidesAndFoldersAreMade)
{
    const std::string pics = (root / "Pics").string();
    const std::string def = (root / "Downloads/").string();
    const DownloadRules jpgLast{{{"*.*", "Rootfolder"}, {"*.jpg", pics}}, def};
    const DownloadRules allLast{{{"*.jpg", pics}, {"*.*", "Rootfolder"}}, def};
    EXPECT_EQ(DownloadFolderFor("photo.JPG", jpgLast), pics + "/");
    EXPECT_TRUE(fs::is_directory(pics));
    EXPECT_EQ(DownloadFolderFor("photo.JPG", allLast), def);
    EXPECT_EQ(DownloadFolderFor("README", DownloadRules{{{"*.*", pics}}, def}), pics + "/");
    EXPECT_EQ(ExtensionPattern("dir.d/README"), "*");
}

TEST_F(FolderTest, NumbersAndHostileNamesFromTheDataFile)
{
    // Every row of the data file, its offered names all made in this one folder.
    const TransferProgress download(TransferProgress::Kind::Download);
    const TransferProgress send(TransferProgress::Kind::Send);
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
    const std::string longName = create(std::string(300, 'n') + ".txt");
    EXPECT_EQ(longName, std::string(251, 'n') + ".txt");
    EXPECT_EQ(create(std::string(300, 'n') + ".txt"), std::string(250, 'n') + "0.txt");
    // A link in the folder is never followed.
    const fs::path target = root.path().parent_path() / ("dcc-target-" + std::to_string(::getpid()));
    std::ofstream(target) << "keep";
    fs::create_symlink(target, root / "b.txt");
    EXPECT_EQ(create("b.txt"), "b0.txt");
    EXPECT_EQ(fs::file_size(target), 4u);
    fs::remove(target);
}

// A port below 1024 is a service to firewalls and peers, even where we may bind it.
TEST(ListenPort, StartsAt1024AndSkipsTakenPorts)
{
    const int saved = NextListenPort();
    int taken = 0;
    int blocker = test::listenLoopback(1, taken);
    while (taken > 49000) { // the search ends at 50000
        ::close(blocker);
        blocker = test::listenLoopback(1, taken);
    }
    NextListenPort() = taken;
    net::TcpServer first;
    net::TcpServer second; // other programs may hold the ports after it too
    const int one = OpenListener(first).value_or(0);
    EXPECT_GT(one, taken);
    EXPECT_EQ(NextListenPort(), one + 1);
    EXPECT_GT(OpenListener(second).value_or(0), one);
    ::close(blocker);
    net::TcpServer low;
    NextListenPort() = 59;
    EXPECT_GE(OpenListener(low).value_or(0), FirstListenPort);
    net::TcpServer none;
    NextListenPort() = 50001;
    EXPECT_FALSE(OpenListener(none));
    EXPECT_EQ(NextListenPort(), 50001);
    NextListenPort() = saved;
}

// A forwarded range is tried whole, from the counter round to it; typed ports that make
// no range leave the search as it was.
TEST(ListenPort, ARangeIsTriedOnceRoundFromTheCounter)
{
    const int saved = std::exchange(NextListenPort(), 5003);
    std::vector<int> tried;
    const auto takeOnly5002 = [&tried](int port) {
        tried.push_back(port);
        return port == 5002;
    };
    EXPECT_EQ(FindListenPort(takeOnly5002, PortRangeOf("5000", "5004")), 5002);
    EXPECT_EQ(tried, (std::vector<int>{5003, 5004, 5000, 5001, 5002}));
    EXPECT_EQ(NextListenPort(), 5003);
    tried.clear();
    EXPECT_EQ(FindListenPort(takeOnly5002, PortRangeOf("5003", "5004")), std::nullopt);
    EXPECT_EQ(tried, (std::vector<int>{5003, 5004}));
    EXPECT_FALSE(PortRangeOf("5004", "5003").Set());
    EXPECT_FALSE(PortRangeOf("0", "5003").Set());
    EXPECT_FALSE(PortRangeOf("", "").Set());
    NextListenPort() = saved;
}

// However many lines a worker reports, the GUI thread has one batch waiting, holding the
// newest lines only.
TEST(TransferReports, AFloodOfLinesIsOneBatchOfTheNewest)
{
    test::EventQueue queue;
    std::vector<std::size_t> batches;
    std::string last;
    TransferReports reports(queue, platform::WorkerLink::create(), 100, [&](TransferReports::Batch& batch) {
        batches.push_back(batch.Lines.size());
        last = batch.Lines.back().In(Language::German);
    });
    std::thread worker([&] {
        for (int i = 0; i < 10000; ++i)
            reports.Status({"line " + std::to_string(i), "Zeile " + std::to_string(i)});
    });
    worker.join();
    EXPECT_EQ(queue.pending(), 1u);
    queue.pump();
    EXPECT_EQ(batches, std::vector<std::size_t>{100});
    EXPECT_EQ(last, "Zeile 9999");
}

std::string randomBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    std::mt19937 random(static_cast<unsigned>(size));
    std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<char>(random()); });
    return bytes;
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ack(std::uint64_t stored)
{
    const auto bytes = EncodeAck(stored);
    return std::string(bytes.begin(), bytes.end());
}

struct DccTransfer : ::testing::Test {
    test::TempFolder root;
    test::EventQueue queue;
    ReceiveTiming fast{300, 1};
    Language language = Language::English;

    // Off port 1024, where a real program may listen and other tests' offers connect.
    void SetUp() override
    {
        fs::create_directories(root / "out");
        NextListenPort() = 20000 + ::getpid() % 20000;
    }

    std::unique_ptr<DccDownload> download(int port, std::int64_t size, ReceiveTiming timing)
    {
        auto d = std::make_unique<DccDownload>(queue, DownloadOffer{"127.0.0.1", port, "f.bin", size},
                                               DownloadRules{{}, (root / "in").string()}, timing);
        d->LanguageNow = [this] { return language; };
        d->StartDownload();
        return d;
    }
    void finish(DccDownload& d, int ms = 20000)
    {
        ASSERT_TRUE(queue.pumpUntil([&] { return !d.Running(); }, std::chrono::milliseconds(ms)));
    }
    std::string received() { return contentOf(root / "in" / "f.bin"); }
    Lines tail(const DccDownload& d, std::size_t count)
    {
        const auto& log = d.Log().Lines();
        return Lines(log.end() - static_cast<std::ptrdiff_t>(std::min(count, log.size())), log.end());
    }
};

TEST_F(DccTransfer, OurSenderToOurReceiverForEachSize)
{
    for (const std::string& row : test::readCases("dcc/sizes.cases").front().lines("size")) {
        SCOPED_TRACE(row);
        const std::string bytes = randomBytes(std::stoul(row));
        std::ofstream(root / "out" / "f.bin", std::ios::binary) << bytes;
        DccSend send(queue);
        send.SetSendFile((root / "out" / "f.bin").string());
        ASSERT_TRUE(send.OpenListener());
        auto d = download(send.Port, static_cast<std::int64_t>(bytes.size()), fast);
        finish(*d);
        EXPECT_TRUE(received() == bytes);
        EXPECT_EQ(tail(*d, 2), (Lines{"FINAL checksum: " + row, "wrote FINAL checksum"}));
        const std::string acknowledged = "Remote CRC = " + row + " local = " + row;
        EXPECT_TRUE(queue.pumpUntil([&] { return send.Log().Last() == acknowledged; })) << send.Log().Last();
        EXPECT_EQ(send.Progress().BytesText, row + " bytes");
        // A file of 0 bytes never reaches the first threshold.
        EXPECT_EQ(d->Progress().BytesText, bytes.empty() ? "BytesTransferred" : row + " bytes");
        fs::remove(root / "in" / "f.bin");
    }
}

// Senders as they come: one that waits for each acknowledgement, one that sends more than
// it announced (nothing past the size is stored), ones that close early (the file that
// ends short says so, in the interface's language). Each closes once acknowledged.
TEST_F(DccTransfer, WhatSendersSendIsStoredUpToTheSizeAndShortFilesSaySo)
{
    struct Row {
        std::int64_t announced;
        std::size_t sent;
        std::size_t piece;
        Language language;
        Lines lastLines;
    };
    const Row rows[] = {
        {20480, 20480, 1024, Language::English, {"stream size: 20480", "FINAL checksum: 20480", "wrote FINAL checksum"}},
        {10, 100, 100, Language::English,
         {"More data than announced: 90 bytes after the 10 announced were not stored", "stream size: 10",
          "FINAL checksum: 10", "wrote FINAL checksum"}},
        {10000, 5000, 5000, Language::English, {"Connection closed gracefully.", "File incomplete: 5000 of 10000 bytes"}},
        {10000, 5000, 5000, Language::German,
         {"Die Verbindung wurde erfolgreich geschlossen.", "Datei unvollständig: 5000 von 10000 Bytes"}},
    };
    for (const Row& row : rows) {
        test::FakeServer sender;
        language = row.language;
        const std::string bytes = randomBytes(row.sent);
        // The real waits: a sender that waits for each acknowledgement must not stall.
        auto d = download(sender.port(), row.announced, ReceiveTiming{});
        ASSERT_TRUE(sender.waitForClient());
        for (std::size_t at = 0; at < row.sent; at += row.piece) {
            sender.send(bytes.substr(at, row.piece));
            const std::uint64_t stored = std::min<std::uint64_t>(at + row.piece, row.announced);
            EXPECT_TRUE(sender.waitForReceived(ack(stored), 3000)) << stored;
        }
        sender.closeClient();
        finish(*d, 3000);
        EXPECT_EQ(tail(*d, row.lastLines.size()), row.lastLines);
        EXPECT_TRUE(received() == bytes.substr(0, static_cast<std::size_t>(row.announced)));
        fs::remove(root / "in" / "f.bin");
    }
}

// A sender that writes the whole file without waiting for acknowledgements and closes
// two seconds after its last write, as WeeChat's usual sender does: if the receiver is
// still behind, the acknowledgements it sends after the close reset the connection and
// the rest is lost.
TEST_F(DccTransfer, ASenderThatNeverWaitsAndClosesSoonStillDeliversEverything)
{
    const std::string bytes = randomBytes(8 << 20);
    test::FakeServer sender;
    auto d = download(sender.port(), static_cast<std::int64_t>(bytes.size()), fast);
    ASSERT_TRUE(sender.waitForClient());
    sender.send(bytes);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    sender.closeClient();
    finish(*d);
    EXPECT_TRUE(received() == bytes);
    EXPECT_EQ(d->Log().Last(), "wrote FINAL checksum");
}

// Without a size the idle rules end the transfer: the tail is acknowledged as soon as
// the sender is quiet, and one idle time-out later the receiver closes.
TEST_F(DccTransfer, AnUnknownSizeEndsOneIdleTimeOutAfterTheQuietAcknowledgement)
{
    test::FakeServer sender;
    auto d = download(sender.port(), 0, ReceiveTiming{1000, 1});
    ASSERT_TRUE(sender.waitForClient());
    sender.send(std::string(5000, 'x'));
    ASSERT_TRUE(sender.waitForReceived(ack(4096) + ack(5000)));
    const auto acknowledged = std::chrono::steady_clock::now();
    finish(*d);
    EXPECT_LT(std::chrono::steady_clock::now() - acknowledged, std::chrono::milliseconds(1700)); // not two time-outs
    EXPECT_TRUE(sender.waitForReceived(ack(4096) + ack(5000) + ack(5000))); // the final one
}

// A download that continues a stored part: it waits for the sender's agreement, then
// appends what our sender serves from there and acknowledges the whole position. Without
// the agreement it ends with its reason and leaves the part alone.
TEST_F(DccTransfer, AResumedDownloadAppendsFromThePositionOnceAgreed)
{
    const std::string bytes = randomBytes(100000);
    std::ofstream(root / "out" / "f.bin", std::ios::binary) << bytes;
    DccSend send(queue);
    send.SetSendFile((root / "out" / "f.bin").string());
    ASSERT_TRUE(send.OpenListener());
    fs::create_directories(root / "in");
    for (const bool agreed : {false, true}) {
        std::ofstream(root / "in" / "f.bin", std::ios::binary) << bytes.substr(0, 40000);
        DccDownload d(queue, {"127.0.0.1", send.Port, "f.bin", 100000, 40000, "bob"}, {{}, (root / "in").string()},
                      {300, 1, 300});
        d.StartDownload();
        send.ResumeAt(40000);
        if (agreed) {
            EXPECT_TRUE(d.ResumeAccepted());
        }
        finish(d);
        EXPECT_TRUE(received() == bytes.substr(0, agreed ? 100000 : 40000));
        EXPECT_EQ(d.Log().Last(), agreed ? "wrote FINAL checksum" : "No answer to the request to resume after 40000 bytes");
    }
    EXPECT_TRUE(queue.pumpUntil([&] { return send.Log().Last() == "Remote CRC = 100000 local = 100000"; }));
}

// A passive offer: the receiver listens, the sender connects and sends; a listener that
// nobody connects to gives up after the wait.
TEST_F(DccTransfer, APassiveSenderConnectsToTheListeningReceiver)
{
    const std::string bytes = randomBytes(100000);
    std::ofstream(root / "out" / "f.bin", std::ios::binary) << bytes;
    DccSend send(queue);
    send.SetSendFile((root / "out" / "f.bin").string());
    DccDownload d(queue, {"", 0, "f.bin", 100000, 0, "bob", "7"}, {{}, (root / "in").string()}, fast);
    const std::optional<int> port = d.Listen({});
    ASSERT_TRUE(port);
    d.StartDownload();
    send.ConnectTo("127.0.0.1", *port);
    EXPECT_TRUE(send.Answered());
    finish(d);
    EXPECT_TRUE(received() == bytes);
    EXPECT_EQ(d.Log().Lines().front(), "Waiting for bob to connect to port " + std::to_string(*port));
    EXPECT_TRUE(queue.pumpUntil([&] { return send.Log().Last() == "Remote CRC = 100000 local = 100000"; }));
    DccDownload idle(queue, {"", 0, "g.bin", 10, 0, "bob", "8"}, {{}, (root / "in").string()}, {300, 1, 2000});
    ASSERT_TRUE(idle.Listen({}));
    idle.StartDownload();
    finish(idle);
    EXPECT_EQ(idle.Log().Last(), "Nobody connected within 2 s");
}

TEST_F(DccTransfer, ClosedPortLeavesOnlyTheErrorLine)
{
    const int port = test::freePort();
    for (const auto& [lang, start] : {std::pair(Language::English, "Socket Error # 111\r\n"),
                                      std::pair(Language::German, "Socket-Fehler # 111\r\n")}) {
        language = lang;
        auto d = download(port, 10, fast);
        finish(*d);
        EXPECT_EQ(d->Log().Lines().size(), 1u);
        EXPECT_TRUE(d->Log().Last().starts_with(start)) << d->Log().Last();
        EXPECT_FALSE(fs::exists(root / "in" / "f.bin"));
    }
}

// A receiver of the usual convention acknowledges what it has and closes at the end.
std::string receiveAll(int port, std::size_t size)
{
    const int socket = test::connectLoopback(port);
    std::string all; // readExactly appends
    while (socket >= 0 && all.size() < size &&
           test::readExactly(socket, std::min<std::size_t>(size - all.size(), 1000), all, 3000)) {
        const auto ack = EncodeAck(all.size());
        test::sendAll(socket, std::string(ack.begin(), ack.end()));
    }
    // Nothing beyond the announced size may follow.
    test::readExactly(socket, 1, all, 300);
    ::close(socket);
    return all;
}

std::string served(test::EventQueue& queue, int port, std::size_t size)
{
    auto peer = std::async(std::launch::async, receiveAll, port, size);
    queue.pumpUntil([&] { return peer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return peer.get();
}

TEST_F(DccTransfer, EachReceiverGetsTheOfferedSizeOnceEvenWhenTheFileChanges)
{
    const fs::path file = root / "out" / "g.bin";
    std::ofstream(file, std::ios::binary) << randomBytes(10000);
    DccSend send(queue);
    send.SetSendFile(file.string());
    ASSERT_TRUE(send.OpenListener());
    EXPECT_TRUE(served(queue, send.Port, 10000) == contentOf(file));
    std::ofstream(file, std::ios::binary | std::ios::app) << "grown";
    EXPECT_EQ(served(queue, send.Port, 10000).size(), 10000u);
    fs::resize_file(file, 5000);
    EXPECT_EQ(served(queue, send.Port, 10000), "");
    EXPECT_TRUE(queue.pumpUntil([&] { return send.Log().Last() == "File ended early: 5000 of 10000 bytes"; }));
}

// Connections that acknowledge nothing hold a place each: they go after a while, and
// the real receiver, refused while they were there, gets the file.
TEST_F(DccTransfer, ReceiversThatAcknowledgeNothingAreDropped)
{
    const fs::path file = root / "out" / "h.bin";
    std::ofstream(file, std::ios::binary) << randomBytes(100000);
    DccSend send(queue, SendTiming{100, 1000});
    send.SetSendFile(file.string());
    ASSERT_TRUE(send.OpenListener());
    std::vector<int> idle(30);
    for (int& socket : idle)
        socket = test::connectLoopback(send.Port);
    EXPECT_TRUE(queue.pumpUntil([&] { return send.Receivers() == DccSend::MaxReceivers; }));
    EXPECT_TRUE(queue.pumpUntil([&] { return send.Receivers() == 0; }));
    EXPECT_TRUE(send.Log().Last().starts_with("Disconnected 127.0.0.1:")) << send.Log().Last();
    EXPECT_TRUE(send.Log().Last().ends_with(": no acknowledgement for 1 s")) << send.Log().Last();
    EXPECT_TRUE(served(queue, send.Port, 100000) == contentOf(file));
    std::for_each(idle.begin(), idle.end(), ::close);
}

TEST_F(DccTransfer, ClosingWhileWorkersRunDropsTheirReports)
{
    int reports = 0;
    test::FakeServer sender; // sends three bytes of four and holds the connection
    auto d = download(sender.port(), 4, fast);
    ASSERT_TRUE(sender.waitForClient());
    sender.send("abc");
    d->LinesAdded = [&](const Lines&) { ++reports; };
    d->Ended = [&] { ++reports; };
    ASSERT_TRUE(queue.pumpUntil([&] { return d->Progress().BytesDone == 3; }));
    reports = 0; // only reports after the close count
    d.reset();
    std::ofstream(root / "out" / "h.bin") << std::string(100000, 'h');
    auto send = std::make_unique<DccSend>(queue);
    send->SetSendFile((root / "out" / "h.bin").string());
    ASSERT_TRUE(send->OpenListener());
    send->ProgressChanged = [&] { ++reports; };
    std::thread peer([port = send->Port] { receiveAll(port, 100000); });
    for (int i = 0; i < 500 && queue.pending() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    send.reset();
    peer.join();
    queue.pump();
    EXPECT_EQ(reports, 0);
}

} // namespace
} // namespace pell::dcc
