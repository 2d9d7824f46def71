// The text table is parsed once, in one pass, and looked up by key in logarithmic time.
#include <benchmark/benchmark.h>

#include <string>

#include "app/TextTable.h"

namespace {

std::string MakeTable(int entries) {
    std::string text;
    for (int i = 0; i < entries; ++i) {
        if (i % 10 == 0) {
            text += "//Group " + std::to_string(i / 10) + "\r\n";
        }
        text += "group" + std::to_string(i / 10) + ".key" + std::to_string(i) +
                " = Some text of a tooltip or a balloon, number " + std::to_string(i) + "\r\n";
    }
    return text;
}

void BM_ParseTextTable(benchmark::State& state) {
    const std::string text = MakeTable(static_cast<int>(state.range(0)));
    TextTable::Map map;
    for (auto _ : state) {
        TextTable::Parse(text, map);
        benchmark::DoNotOptimize(map.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseTextTable)->Arg(17)->Arg(1000)->Arg(100000);

void BM_LookupText(benchmark::State& state) {
    TextTable::Map map;
    TextTable::Parse(MakeTable(static_cast<int>(state.range(0))), map);
    const std::string key = "group1.key17";
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextTable::Lookup(map, key));
    }
}
BENCHMARK(BM_LookupText)->Arg(17)->Arg(1000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
