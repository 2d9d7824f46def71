// tivora-cfg: makes and inspects the games catalogue "tivora.cfg".
//
//   tivora-cfg pack DESCRIPTION OUTPUT   packs a catalogue description (XML) into OUTPUT
//   tivora-cfg dump FILE                 shows what the program reads from FILE
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/Exceptions.h"
#include "cfg/CatalogueDescription.h"
#include "cfg/CataloguePack.h"
#include "config/GamesConfig.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Usage() {
    std::cerr << "usage: tivora-cfg pack DESCRIPTION OUTPUT\n"
                 "       tivora-cfg dump FILE\n";
    return kUsage;
}

// The file's bytes for a terminal: control characters and backslashes escaped.
std::string Printable(const std::string& text) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int Pack(const QString& description, const QString& output) {
    CfgPack::Catalogue catalogue;
    if (auto error = CfgPack::ReadDescription(description, catalogue)) {
        std::cerr << description.toStdString();
        if (error->line > 0) {
            std::cerr << ':' << error->line;
        }
        std::cerr << ": error: " << error->reason << '\n';
        return kFailed;
    }
    const std::string bytes = CfgPack::Encode(catalogue);
    // Written whole or not at all: a half-written catalogue would stop the program.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        std::cerr << "tivora-cfg: cannot write " << output.toStdString() << ": "
                  << file.errorString().toStdString() << '\n';
        return kFailed;
    }
    return 0;
}

std::string FlagWords(const Game& game) {
    std::string words;
    for (const auto& [set, word] :
         {std::pair{game.isFavorite, "favorite"}, std::pair{game.isFullScreen, "full-screen"},
          std::pair{game.isControlled, "controlled"}}) {
        if (set) {
            words += words.empty() ? "" : " ";
            words += word;
        }
    }
    return words.empty() ? "none" : words;
}

void Print(const GamesConfig& config) {
    std::cout << "Texts:\n";
    for (const auto& [key, value] : config.GetTexts()) {
        std::cout << "  " << Printable(key) << " = " << Printable(value) << '\n';
    }
    std::cout << "WebmasterVersion as a number: " << GetWebmasterVersion() << '\n';
    std::cout << "Games (" << config.GetGamesCount() << ", in catalogue order):\n";
    auto games = config.CreateFullIterator();
    while (games->HasNext()) {
        const Game& game = games->Next();
        std::cout << "  " << Printable(game.name) << '\n'
                  << "    url:     " << Printable(game.url) << '\n'
                  << "    flags:   " << FlagWords(game) << '\n'
                  << "    picture: " << game.bitmap.width() << " x " << game.bitmap.height();
        const int index = config.GetImageIndex(game);
        if (index >= 0) {
            std::cout << ", image " << index << '\n';
        } else {
            std::cout << ", not in the picture list\n";
        }
        if (!game.extraText.empty()) {
            std::cout << "    extra:   " << Printable(game.extraText) << '\n';
        }
    }
}

// Reads the file exactly as the program does and prints it, or the reader's error in the words
// that the program's log would use.
int Dump(const QString& path) {
    GamesConfig config;
    try {
        config.LoadGamesConfig(QFile::encodeName(path).toStdString());
    } catch (const ConfigurationException& error) {
        std::cerr << "Configuration error: " << error.GetMessage() << '\n';
        return kFailed;
    } catch (const AppException& error) {
        std::cerr << "Application error: " << error.GetMessage() << '\n';
        return kFailed;
    } catch (const FrameworkException& error) {
        std::cerr << "Error: " << error.GetMessage() << '\n';
        return kFailed;
    }
    Print(config);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("pack")) {
        return Pack(arguments[2], arguments[3]);
    }
    if (arguments.size() == 3 && arguments[1] == QLatin1String("dump")) {
        return Dump(arguments[2]);
    }
    return Usage();
}
