#pragma once

// A packed catalogue of any size for the benchmarks, every game with its own picture, in an
// order that is not the list's (so that sorting is part of what is measured).
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <string>

#include "cfg/CataloguePack.h"

namespace bench {

// The catalogue sizes every catalogue benchmark runs at; the fitted complexity printed after
// the runs shows how the cost grows with the games.
inline void CatalogueSizes(benchmark::internal::Benchmark* b) {
    b->Arg(100)->Arg(1000)->Arg(3000)->Arg(10000)->Complexity()->Unit(benchmark::kMillisecond);
}

inline std::string Picture() {
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

inline std::string CatalogueOfGames(int count) {
    CfgPack::Catalogue catalogue;
    catalogue.texts =
        "ProductVersion = 1.0.10.0\r\nWebmasterVersion = 3\r\nManifestUrl = http://m/\r\n"
        "RegistrationUrl = http://r/\r\nDistributionId = d\r\n";
    const std::string picture = Picture();
    for (int i = 0; i < count; ++i) {
        // 7919 is prime: below a multiple of it, this visits every number once, out of order.
        const long number = (static_cast<long>(i) * 7919) % count;
        catalogue.games.push_back({"Game number " + std::to_string(number),
                                   "http://games.invalid/" + std::to_string(number), "", 0,
                                   picture});
    }
    return CfgPack::Encode(catalogue);
}

}  // namespace bench
