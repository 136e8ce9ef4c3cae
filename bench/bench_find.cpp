// The find bar over a busy tab: 300,000 stored lines of about 90 bytes in the packed,
// partly compressed store a tab keeps, searched for a text that only the oldest line
// holds (the slowest first match: every line is read), for one that the newest holds,
// and for one that no line holds. Target: the first match within 100 ms.
#include "session/LineFormatter.h"
#include "session/TextFind.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace pell::session;

namespace {

constexpr int Lines = 300000;

const FormattedText& busyTab()
{
    static const FormattedText text = [] {
        FormattedText filled(std::make_shared<StringArena>());
        for (int i = 0; i < Lines; ++i) {
            const std::string nick = "user" + std::to_string(i % 997);
            const std::string said = i == 0 ? "the one Needle in the haystack"
                                            : "line " + std::to_string(i) + " of the \x02" "flood\x02 with some words around it";
            filled.Append(FormatLine("<" + nick + ">:" + said, 0));
        }
        return filled;
    }();
    return text;
}

void search(benchmark::State& state, const char* needle)
{
    const FormattedText& text = busyTab();
    for (auto _ : state) {
        TextFind find;
        benchmark::DoNotOptimize(find.Search(text, needle));
    }
    state.SetLabel(std::to_string(Lines) + " lines");
}

void BM_FindOldestLine(benchmark::State& state) { search(state, "NEEDLE"); }
void BM_FindNewestLine(benchmark::State& state) { search(state, "LINE 299999"); }
void BM_FindNothing(benchmark::State& state) { search(state, "absent text"); }

// Only unpacking each line's shown text, for comparison: the floor of any search.
void BM_ReadEveryLine(benchmark::State& state)
{
    const FormattedText& text = busyTab();
    for (auto _ : state) {
        std::size_t total = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            total += text.ShownText(i).size();
        benchmark::DoNotOptimize(total);
    }
}

} // namespace

BENCHMARK(BM_FindOldestLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNewestLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryLine)->Unit(benchmark::kMillisecond);
