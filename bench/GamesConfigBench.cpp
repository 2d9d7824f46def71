// Loading the games catalogue at start: the sample file as the build packs it, and larger
// catalogues made in memory, to see how the cost grows with the number of games.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <string>

#include "cfg/CataloguePack.h"
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

std::string Picture() {
    QImage image(21, 21, QImage::Format_RGB32);
    image.fill(QColor(0, 255, 0));
    for (int i = 0; i < 21; ++i) {
        image.setPixelColor(i, i, QColor(200, 30, 30));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void BM_LoadCatalogueOfGames(benchmark::State& state) {
    CfgPack::Catalogue catalogue;
    catalogue.texts =
        "ProductVersion = 1.0.10.0\r\nWebmasterVersion = 3\r\nManifestUrl = http://m/\r\n"
        "RegistrationUrl = http://r/\r\nDistributionId = d\r\n";
    const std::string picture = Picture();
    for (int i = 0; i < state.range(0); ++i) {
        catalogue.games.push_back({"Game number " + std::to_string(i),
                                   "http://games.invalid/" + std::to_string(i), "", 0, picture});
    }
    const std::string bytes = CfgPack::Encode(catalogue);
    for (auto _ : state) {
        GamesConfig config;
        config.LoadGamesConfigData(bytes);
        benchmark::DoNotOptimize(config.GetGameImages().Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadCatalogueOfGames)->Arg(12)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
