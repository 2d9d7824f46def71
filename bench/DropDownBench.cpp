// Opening the all-games drop-down over large catalogues, on Qt's offscreen platform: refilling
// the rows, placing the window and its first paint, as a click on the all-games button does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "BenchCatalogue.h"
#include "config/GamesConfig.h"
#include "ui/toolbar/CAllGamesDropDown.h"

namespace {

void BM_OpenDropDown(benchmark::State& state) {
    GamesConfig games;
    games.LoadGamesConfigData(bench::CatalogueOfGames(static_cast<int>(state.range(0))));
    CAllGamesDropDown list(games);
    if (!list.CreateWindow()) {
        state.SkipWithError("the drop-down's window was not made");
        return;
    }
    for (auto _ : state) {
        list.ShowDropDown(100, 100);
        list.repaint();
        state.PauseTiming();
        if (list.GetItemCount() != state.range(0)) {
            state.SkipWithError("the list does not hold every game");
        }
        list.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenDropDown)->Apply(bench::CatalogueSizes);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says at every showing that it cannot raise or grab.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
