#include "direct/DccNumbers.h"
#include "direct/DownloadFolder.h"
#include "direct/ListenPort.h"
#include "direct/TransferProgress.h"
#include "support/Loopback.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace pell::direct {
namespace {

namespace fs = std::filesystem;

TEST(DccNumbers, PeerNumbersAreReadStrictly)
{
    const std::pair<const char*, int> ports[] = {{"1", 1},  {"65535", 65535}, {"5000", 5000}, {"0", 0},  {"65536", 0},
                                                 {"70000", 0}, {"", 0},       {"+5", 0},       {"5a", 0}, {"-1", 0}};
    for (const auto& [text, port] : ports)
        EXPECT_EQ(ReadOfferPort(text).value_or(0), port) << text;

    const std::pair<const char*, const char*> addresses[] = {{"3232235786", "192.168.1.10"}, {"-1062731510", "192.168.1.10"},
        {"3232235786.9", "192.168.1.10"}, {"4294967296", "0.0.0.0"}, {"-1", "255.255.255.255"}, {"2130706433", "127.0.0.1"},
        {"inf", ""}, {"nan", ""}, {"1e400", ""}, {"0x10", ""}, {"", ""}, {"-", ""}, {"1.2.3", ""}, {" 1", ""}};
    for (const auto& [text, dotted] : addresses)
        EXPECT_EQ(DottedFromOffer(text).value_or(""), dotted) << text;

    const std::pair<const char*, std::uint64_t> sizes[] = {{"1234", 1234}, {"4294967296", 4294967296ull},
        {"18446744073709551615", UINT64_MAX}, {"18446744073709551616", 0}, {"-1", 0}, {"12a", 0}, {"", 0},
        {"1234567890123456789012345678901234567890", 0}};
    for (const auto& [text, size] : sizes)
        EXPECT_EQ(ReadOfferSize(text), size) << text;
}

TEST(DccNumbers, AcknowledgementIsLow32BitsMostSignificantFirst)
{
    EXPECT_EQ(EncodeAck(10000), (std::array<unsigned char, 4>{0x00, 0x00, 0x27, 0x10}));
    EXPECT_EQ(EncodeAck(4294967296ull + 5), (std::array<unsigned char, 4>{0, 0, 0, 5}));
    EXPECT_EQ(DecodeAck(std::array<unsigned char, 4>{0xFF, 0xFF, 0xFF, 0xFF}.data()), 4294967295u);
}

TEST(TransferProgress, DurationsAndUnknownEstimates)
{
    const TransferProgress download(TransferProgress::Kind::Download), send(TransferProgress::Kind::Send);
    const std::pair<std::int32_t, const char*> rows[] = {{0, "0s"}, {999, "0s"}, {59999, "59s"}, {60000, "1m 0s"},
        {3599999, "59m 59s"}, {3600000, "1h 0m 0s"}, {3661000, "1h 1m 1s"}, {90061000, "25h 1m 1s"}, {-1, "?"}};
    for (const auto& [ms, text] : rows)
        EXPECT_EQ(download.FormatDuration(ms), text) << ms;
    EXPECT_EQ(send.FormatDuration(-1), "????");
    EXPECT_EQ(RoundHalfEven(12.5), 12);
    EXPECT_EQ(RoundHalfEven(13.5), 14);
}

TransferProgress started(std::int64_t size)
{
    TransferProgress p(TransferProgress::Kind::Download);
    p.FileSize = size;
    p.StartDownload(0);
    return p;
}

TEST(TransferProgress, DownloadRedrawsAtThresholds)
{
    const std::pair<std::int64_t, std::int64_t> steps[] = {{1000, 10}, {50000, 500}, {10485760, 20971}, {0, 1}, {99, 1}};
    for (const auto& [size, step] : steps)
        EXPECT_EQ(started(size).UpdateStep, step) << size;
    TransferProgress p = started(1000);
    EXPECT_EQ(p.PercentText, "");
    EXPECT_FALSE(p.OnDCCProgress(9, 5));
    EXPECT_TRUE(p.OnDCCProgress(10, 5)); // exactly the threshold
    EXPECT_TRUE(p.OnDCCProgress(25, 5));
    EXPECT_EQ(p.NextUpdateAt, 30); // not 35
    EXPECT_FALSE(p.OnDCCProgress(29, 5));
    EXPECT_EQ(p.BytesText, "25 bytes");
}

TEST(TransferProgress, PercentAndEstimate)
{
    TransferProgress send(TransferProgress::Kind::Send);
    send.FileSize = 200;
    send.StartTick = 1000;
    EXPECT_TRUE(send.OnDCCProgress(0, 1000));
    EXPECT_EQ(send.EstimateText, "Estimated Time Left: 0s");
    send.OnDCCProgress(25, 3000);
    EXPECT_EQ(send.PercentText, "12%");
    EXPECT_EQ(send.ElapsedText, "Elapsed Time: 2s");
    EXPECT_EQ(send.EstimateText, "Estimated Time Left: 14s");
    send.OnDCCProgress(250, 3000); // more than announced
    EXPECT_EQ(send.PercentText, "100%");
    EXPECT_EQ(send.EstimateText, "Estimated Time Left: ????");
    // Over 4 GiB the remaining bytes and the estimate stay right.
    TransferProgress big = started(6000000000);
    big.OnDCCProgress(3000000000, 10000);
    EXPECT_EQ(big.PercentText, "50%");
    EXPECT_EQ(big.EstimateText, "Estimated Time Left: 10s");
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
    EXPECT_EQ(DownloadFolderFor("photo.JPG", jpgLast), pics + "/");
    EXPECT_TRUE(fs::is_directory(pics));
    EXPECT_EQ(DownloadFolderFor("photo.JPG", allLast), def);
    EXPECT_EQ(DownloadFolderFor("README", DownloadRules{{{"*.*", pics}}, def}), pics + "/");
    EXPECT_EQ(ExtensionPattern("dir.d/README"), "*");
}

TEST_F(FolderTest, HostileNamesLandAsNewFilesInsideTheFolder)
{
    fs::create_directories(root);
    const std::pair<std::string, std::string> rows[] = {
        {"../../.bashrc", ".bashrc"}, {"/etc/passwd", "passwd"}, {"..\\..\\x.exe", "x.exe"},
        {"a\rb\x1b.txt", "a_b_.txt"}, {"", "download"}, {"..", "download0"}, {"dir/", "download1"}};
    for (const auto& [offered, name] : rows)
        EXPECT_EQ(create(offered), name) << offered;
    const std::string longName = create(std::string(300, 'n') + ".txt");
    EXPECT_EQ(longName.size(), 255u);
    EXPECT_TRUE(longName.ends_with("nn.txt"));
    EXPECT_EQ(create(std::string(300, 'n') + ".txt").size(), 255u);

    EXPECT_EQ(create("a.txt"), "a.txt");
    EXPECT_EQ(create("a.txt"), "a0.txt");
    EXPECT_EQ(create("a.txt"), "a1.txt");
    EXPECT_EQ(create("README"), "README");
    EXPECT_EQ(create("README"), "README0");
    // A link in the folder is never followed.
    const fs::path target = root.parent_path() / ("dcc-target-" + std::to_string(::getpid()));
    std::ofstream(target) << "keep";
    fs::create_symlink(target, root / "b.txt");
    EXPECT_EQ(create("b.txt"), "b0.txt");
    EXPECT_EQ(fs::file_size(target), 4u);
    fs::remove(target);
}

TEST(ListenPort, TakesTheNextFreePortAndSkipsTakenOnes)
{
    int taken = 0, blocker = test::listenLoopback(1, taken);
    while (taken > 49000) // the search ends at 50000
        ::close(blocker), blocker = test::listenLoopback(1, taken);
    const int saved = NextListenPort();
    NextListenPort() = taken;
    TcpServer first, second; // other programs may hold the ports after it too
    const int one = OpenListener(first).value_or(0);
    EXPECT_GT(one, taken);
    EXPECT_EQ(NextListenPort(), one + 1);
    EXPECT_GT(OpenListener(second).value_or(0), one);
    ::close(blocker);
    TcpServer none;
    NextListenPort() = 50001;
    EXPECT_FALSE(OpenListener(none));
    EXPECT_EQ(NextListenPort(), 50001);
    NextListenPort() = saved;
}

} // namespace
} // namespace pell::direct
