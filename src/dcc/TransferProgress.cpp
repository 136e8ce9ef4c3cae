#include "dcc/TransferProgress.h"

#include <chrono>
#include <cmath>

namespace pell::dcc {

std::int64_t RoundHalfEven(double value)
{
    return static_cast<std::int64_t>(std::nearbyint(value)); // the default mode rounds halves to even
}

std::uint32_t TickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TransferProgress::StartDownload(std::uint32_t nowTick)
{
    Position = 0;
    BytesDone = 0;
    UpdateStep = FileSize / 100;
    if (UpdateStep < 1)
        UpdateStep = 1;
    else if (UpdateStep > 1000)
        UpdateStep /= 5;
    NextUpdateAt = UpdateStep;
    StartTick = nowTick;
    PercentText.clear();
    EstimateText.clear();
}

bool TransferProgress::OnDCCProgress(std::int64_t bytes, std::uint32_t nowTick)
{
    BytesDone = bytes;
    if (BytesDone < NextUpdateAt)
        return false;
    const std::int64_t position = RoundHalfEven(Percent());
    Position = static_cast<int>(position < 0 ? 0 : position > 100 ? 100 : position);
    PercentText = std::to_string(Position) + "%";
    BytesText = std::to_string(BytesDone) + " bytes";
    ElapsedText = "Elapsed Time: " + FormatDuration(ElapsedMs(nowTick));
    EstimateText = "Estimated Time Left: " + FormatDuration(EstimatedLeftMs(nowTick));
    NextUpdateAt += UpdateStep;
    return true;
}

double TransferProgress::Percent() const
{
    return FileSize > 0 ? static_cast<double>(BytesDone) / static_cast<double>(FileSize) * 100.0 : 0.0;
}

std::int32_t TransferProgress::ElapsedMs(std::uint32_t nowTick) const
{
    return static_cast<std::int32_t>(nowTick < StartTick ? nowTick : nowTick - StartTick);
}

std::int32_t TransferProgress::EstimatedLeftMs(std::uint32_t nowTick) const
{
    if (BytesDone == 0)
        return 0;
    // In 64 bits, so a file over 2 GiB neither wraps nor reads as negative.
    const std::int64_t remaining = FileSize - BytesDone;
    const double estimate =
        static_cast<double>(remaining) * (static_cast<double>(ElapsedMs(nowTick)) / static_cast<double>(BytesDone));
    if (estimate >= 2147483647.0)
        return 2147483647;
    if (estimate < -2147483648.0)
        return -1;
    return static_cast<std::int32_t>(RoundHalfEven(estimate));
}

std::string TransferProgress::FormatDuration(std::int32_t ms) const
{
    if (ms < 0)
        return kind_ == Kind::Download ? "?" : "????";
    const std::int32_t s = ms / 1000;
    const std::int32_t h = s / 3600;
    const std::int32_t m = (s - 3600 * h) / 60;
    const std::int32_t sec = s - 3600 * h - 60 * m;
    std::string text;
    if (h > 0)
        text += std::to_string(h) + "h ";
    if (h > 0 || m >= 1)
        text += std::to_string(m) + "m ";
    return text + std::to_string(sec) + "s";
}

} // namespace pell::dcc
