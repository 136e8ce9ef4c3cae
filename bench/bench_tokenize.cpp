#include "irc/IrcMessage.h"

#include <benchmark/benchmark.h>

#include <string>

using pell::irc::IrcMessage;

namespace {

void tokenizeLoop(benchmark::State& state, const std::string& line)
{
    IrcMessage message;
    for (auto _ : state) {
        message.Tokenize(line);
        benchmark::DoNotOptimize(message.Tokens[3].data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}

void BM_TokenizePrivmsg(benchmark::State& state)
{
    tokenizeLoop(state, ":alice!~alice@host-203-0-113-7.example.net PRIVMSG #linux :has anyone tried the new kernel yet?");
}
BENCHMARK(BM_TokenizePrivmsg);

void BM_TokenizeNumeric(benchmark::State& state)
{
    tokenizeLoop(state, ":irc.example.net 311 me bob ~bob host.example.net * :Bob Builder");
}
BENCHMARK(BM_TokenizeNumeric);

void BM_TokenizeLongLine(benchmark::State& state)
{
    std::string line = ":srv 353 me = #big :";
    while (line.size() < 500)
        line += "@nick" + std::to_string(line.size()) + " ";
    tokenizeLoop(state, line);
}
BENCHMARK(BM_TokenizeLongLine);

} // namespace
