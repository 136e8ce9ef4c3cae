#include "session/FormattedLine.h"

#include <algorithm>
#include <cstring>

namespace pell::session {

namespace {

constexpr std::uint32_t ItalicBit = 1u << 29;
constexpr std::uint32_t BoldBit = 1u << 30;
constexpr std::uint32_t UnderlineBit = 1u << 31;
constexpr std::uint32_t OffsetMask = ItalicBit - 1;

// The attribute bits of a run's end word.
std::uint32_t styleBits(bool bold, bool underline, bool italic)
{
    return (bold ? BoldBit : 0) | (underline ? UnderlineBit : 0) | (italic ? ItalicBit : 0);
}

std::uint32_t load(const char* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void store(char* at, std::uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

} // namespace

TextRunView FormattedLine::RunAt(std::size_t index) const
{
    const char* record = data_.data() + index * RunBytes;
    const std::uint32_t end = load(record);
    const std::uint32_t start = index == 0 ? 0 : load(record - RunBytes) & OffsetMask;
    return TextRunView{Text().substr(start, (end & OffsetMask) - start), load(record + 4),
                       (end & BoldBit) != 0, (end & UnderlineBit) != 0, (end & ItalicBit) != 0};
}

std::vector<TextRun> FormattedLine::Runs() const
{
    std::vector<TextRun> runs;
    runs.reserve(runCount_);
    for (std::size_t i = 0; i < runCount_; ++i) {
        const TextRunView run = RunAt(i);
        runs.push_back(TextRun{std::string(run.Text), run.Colour, run.Bold, run.Underline, run.Italic});
    }
    return runs;
}

void FormattedLine::PackInto(std::string& out) const
{
    out.resize(2 * sizeof(std::uint32_t));
    store(out.data(), base_);
    store(out.data() + 4, runCount_);
    out += data_;
}

FormattedLine FormattedLine::Unpack(std::string_view packed)
{
    FormattedLine line;
    if (packed.size() < 2 * sizeof(std::uint32_t))
        return line;
    line.base_ = load(packed.data());
    line.runCount_ = load(packed.data() + 4);
    line.data_.assign(packed.substr(8));
    return line;
}

bool FormattedLineBuilder::continues(Rgb colour, std::uint8_t flags)
{
    const bool same = any_ && colour == lastColour_ && flags == lastFlags_;
    any_ = true;
    lastColour_ = colour;
    lastFlags_ = flags;
    return same;
}

void FormattedLineBuilder::CountRun(std::string_view text, Rgb colour, bool bold, bool underline, bool italic)
{
    if (!continues(colour, static_cast<std::uint8_t>(styleBits(bold, underline, italic) >> 29)))
        ++runs_;
    textBytes_ += text.size();
}

void FormattedLineBuilder::Allocate()
{
    line_.data_.resize(runs_ * FormattedLine::RunBytes + std::min(textBytes_, MaxTextBytes));
    line_.runCount_ = static_cast<std::uint32_t>(runs_);
    any_ = false;
}

void FormattedLineBuilder::AddRun(std::string_view text, Rgb colour, bool bold, bool underline, bool italic)
{
    const std::uint32_t style = styleBits(bold, underline, italic);
    const bool extend = continues(colour, static_cast<std::uint8_t>(style >> 29)) && filledRuns_ > 0;
    if (!extend && filledRuns_ >= runs_)
        return;
    text = text.substr(0, MaxTextBytes - std::min(filledText_, MaxTextBytes));
    char* base = line_.data_.data();
    std::memcpy(base + runs_ * FormattedLine::RunBytes + filledText_, text.data(), text.size());
    filledText_ += text.size();
    const std::uint32_t end = static_cast<std::uint32_t>(filledText_) | style;
    if (extend) {
        store(base + (filledRuns_ - 1) * FormattedLine::RunBytes, end);
        return;
    }
    store(base + filledRuns_ * FormattedLine::RunBytes, end);
    store(base + filledRuns_ * FormattedLine::RunBytes + 4, colour);
    ++filledRuns_;
}

} // namespace pell::session
