#pragma once

#include <cstdint>
#include <string>

namespace pell::dcc {

// The progress display of a transfer window, as texts and a bar position. The download
// window redraws at byte thresholds and shows an unknown duration as "?"; the send
// window redraws at every report and shows "????".
class TransferProgress {
public:
    enum class Kind { Download, Send };

    explicit TransferProgress(Kind kind) : kind_(kind) {}

    std::int64_t FileSize = 0;
    std::uint32_t StartTick = 0;
    std::int64_t BytesDone = 0;
    std::int64_t UpdateStep = 0;
    std::int64_t NextUpdateAt = 0;

    // What the labels and the bar show; the initial texts are the design captions.
    int Position = 0;
    std::string PercentText = "ProgressPercent";
    std::string BytesText = "BytesTransferred";
    std::string ElapsedText = "ElapsedTime";
    std::string EstimateText = "Estimated time left";

    // The download window's thresholds and start; clears the percentage and estimate.
    void StartDownload(std::uint32_t nowTick);
    // Stores the count; true when the texts were refreshed.
    bool OnDCCProgress(std::int64_t bytes, std::uint32_t nowTick);

    double Percent() const;
    std::int32_t ElapsedMs(std::uint32_t nowTick) const;
    std::int32_t EstimatedLeftMs(std::uint32_t nowTick) const;
    std::string FormatDuration(std::int32_t ms) const;

private:
    Kind kind_;
};

// Rounds to the nearest integer, halves to the even neighbour.
std::int64_t RoundHalfEven(double value);

// The millisecond tick counter (wraps after 2^32 ms).
std::uint32_t TickCount();

} // namespace pell::dcc
