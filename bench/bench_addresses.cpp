// The main window's address list alone: a week in a busy channel that posts links.
#include "session/AddressList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

using pell::session::AddressList;

// Inserts 1,000,000 unique addresses of about 45 bytes and times every 100,000 of
// them: adding must cost the same however many are already there.
void BM_Insert1MAddresses(benchmark::State& state)
{
    constexpr int kTotal = 1'000'000, kChunk = 100'000;
    double first = 0, last = 0;
    for (auto _ : state) {
        AddressList list;
        int changes = 0;
        list.OnChanged = [&] { ++changes; };
        char address[96];
        for (int chunk = 0; chunk < kTotal / kChunk; ++chunk) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = chunk * kChunk; i < (chunk + 1) * kChunk; ++i) {
                const int length = std::snprintf(address, sizeof address, "http://host%d.example/page/%x?id=%d",
                                                 i % 977, i * 2654435761u, i);
                list.InsertAtTop(std::string_view(address, static_cast<std::size_t>(length)));
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (chunk == 0)
                first = seconds;
            if (chunk == kTotal / kChunk - 1)
                last = seconds;
        }
        benchmark::DoNotOptimize(list.At(0));
        if (list.size() != kTotal || changes != kTotal || list.At(kTotal - 1).find("page/0?id=0") == std::string_view::npos)
            state.SkipWithError("the list lost addresses");
    }
    state.counters["first_100k_ms"] = first * 1000;
    state.counters["last_100k_ms"] = last * 1000;
    state.counters["last_over_first"] = last / first;
}
BENCHMARK(BM_Insert1MAddresses)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
