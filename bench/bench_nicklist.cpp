#include "session/NickList.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// A names reply of a big channel refills the list in one go.
static void BM_RefillTenThousand(benchmark::State& state)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 10000; ++i) {
        const char* prefix = i % 7 == 0 ? "@" : i % 5 == 0 ? "+" : "";
        entries.push_back(prefix + std::string(i % 2 ? "Nick" : "user") + std::to_string((i * 7919) % 10007));
    }
    for (auto _ : state) {
        pell::session::NickList list;
        list.Refill(entries);
        benchmark::DoNotOptimize(list.Entries().data());
    }
}
BENCHMARK(BM_RefillTenThousand)->Unit(benchmark::kMillisecond);
