// Loading the games catalogue at start: the sample file as the build packs it, and larger
// catalogues made in memory, to see how the cost grows with the number of games.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchCatalogue.h"
#include "config/GamesConfig.h"

namespace {

void BM_LoadSampleCatalogue(benchmark::State& state) {
    for (auto _ : state) {
        GamesConfig config;
        config.LoadGamesConfig(TIVORA_SAMPLE_CATALOGUE);
        benchmark::DoNotOptimize(config.GetGameImages().Count());
    }
}
BENCHMARK(BM_LoadSampleCatalogue)->Unit(benchmark::kMicrosecond);

void BM_LoadCatalogueOfGames(benchmark::State& state) {
    const std::string bytes = bench::CatalogueOfGames(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        GamesConfig config;
        config.LoadGamesConfigData(bytes);
        benchmark::DoNotOptimize(config.GetGameImages().Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadCatalogueOfGames)->Apply(bench::CatalogueSizes);

}  // namespace

BENCHMARK_MAIN();
