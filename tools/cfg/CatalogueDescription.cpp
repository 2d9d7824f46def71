#include "cfg/CatalogueDescription.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>
#include <map>
#include <vector>

#include "config/Game.h"
#include "config/GamesConfig.h"
#include "platform/os/Picture.h"

namespace CfgPack {
namespace {

constexpr const char* kRequiredTexts[] = {"ProductVersion", "WebmasterVersion", "ManifestUrl",
                                          "RegistrationUrl", "DistributionId"};

struct Failure {
    long long line;
    std::string reason;
};

std::string Quoted(const QString& text) {
    return "'" + text.toStdString() + "'";
}

class DescriptionParser {
public:
    DescriptionParser(const QString& xml, QString baseDir)
        : text_(xml), reader_(text_), baseDir_(std::move(baseDir)) {
        for (qsizetype at = text_.indexOf(u'\n'); at >= 0; at = text_.indexOf(u'\n', at + 1)) {
            lineEnds_.push_back(at);
        }
    }

    void Run(Catalogue& catalogue) {
        bool sawRoot = false;
        while (!reader_.atEnd()) {
            switch (Next()) {
                case QXmlStreamReader::DTD:
                    Fail(line_, "a description takes no document type declaration");
                case QXmlStreamReader::StartElement:
                    if (reader_.name() != QLatin1String("catalogue")) {
                        Fail(line_, "the description must start with <catalogue>, not <" +
                                        reader_.name().toString().toStdString() + ">");
                    }
                    ReadCatalogue(catalogue);
                    sawRoot = true;
                    break;
                default:
                    break;
            }
        }
        if (!sawRoot) {
            Fail(reader_.lineNumber(), "the description holds no <catalogue>");
        }
    }

private:
    [[noreturn]] static void Fail(long long line, std::string reason) {
        throw Failure{line, std::move(reason)};
    }

    // The line of a character offset into the text, counting from 1.
    long long LineAt(qint64 offset) const {
        return 1 +
               (std::lower_bound(lineEnds_.begin(), lineEnds_.end(), offset) - lineEnds_.begin());
    }

    // The next token. The reader skips blanks between some tokens without reporting them, so
    // a token's line is that of its first visible character after the previous token (or of
    // the previous token's end when the token is all blanks). tokenStartLine_ is the line
    // where a text token's first character, blank or not, lies.
    QXmlStreamReader::TokenType Next() {
        const qint64 previousEnd = reader_.characterOffset();
        const QXmlStreamReader::TokenType token = reader_.readNext();
        if (token == QXmlStreamReader::Invalid || reader_.hasError()) {
            Fail(reader_.lineNumber(), reader_.errorString().toStdString());
        }
        const qint64 end = std::min<qint64>(reader_.characterOffset(), text_.size());
        qint64 start = previousEnd;
        while (start < end && text_[start].isSpace()) {
            ++start;
        }
        tokenStartLine_ = LineAt(previousEnd);
        line_ = LineAt(start < end ? start : previousEnd);
        return token;
    }

    void RejectText(const char* where) {
        if (!reader_.isWhitespace()) {
            Fail(line_, std::string("unexpected text in <") + where + ">");
        }
    }

    void RejectAttributes(const char* element) {
        if (!reader_.attributes().isEmpty()) {
            Fail(line_, "<" + std::string(element) + "> takes no attributes; found " +
                            reader_.attributes().front().name().toString().toStdString());
        }
    }

    void ReadCatalogue(Catalogue& catalogue) {
        RejectAttributes("catalogue");
        long long textsLine = 0;
        for (;;) {
            switch (Next()) {
                case QXmlStreamReader::StartElement:
                    if (reader_.name() == QLatin1String("texts")) {
                        if (textsLine != 0) {
                            Fail(line_, "a second <texts>; the first is on line " +
                                            std::to_string(textsLine));
                        }
                        textsLine = line_;
                        catalogue.texts = ReadTexts();
                    } else if (reader_.name() == QLatin1String("game")) {
                        catalogue.games.push_back(ReadGame());
                    } else {
                        Fail(line_, "unknown element <" + reader_.name().toString().toStdString() +
                                        ">; a catalogue holds <texts> and <game> elements");
                    }
                    break;
                case QXmlStreamReader::Characters:
                    RejectText("catalogue");
                    break;
                case QXmlStreamReader::EndElement:
                    if (textsLine == 0) {
                        Fail(line_, "the catalogue has no <texts>");
                    }
                    if (catalogue.games.empty()) {
                        Fail(line_, "a catalogue needs at least one <game>");
                    }
                    return;
                default:
                    break;
            }
        }
    }

    // The packed text of <texts>. Comments inside keep their line breaks, so that the lines
    // after them are counted right.
    std::string ReadTexts() {
        const long long textsLine = line_;
        RejectAttributes("texts");
        QString content;
        long long firstLine = -1;
        for (bool done = false; !done;) {
            switch (Next()) {
                case QXmlStreamReader::Characters:
                    if (firstLine < 0) {
                        firstLine = tokenStartLine_;
                    }
                    content += reader_.text();
                    break;
                case QXmlStreamReader::Comment:
                    if (firstLine < 0) {
                        firstLine = tokenStartLine_;
                    }
                    content += QString(reader_.text().count(u'\n'), u'\n');
                    break;
                case QXmlStreamReader::StartElement:
                    Fail(line_, "<texts> holds key = value lines, not <" +
                                    reader_.name().toString().toStdString() + ">");
                case QXmlStreamReader::EndElement:
                    done = true;
                    break;
                default:
                    break;
            }
        }
        return CheckTexts(content, firstLine < 0 ? line_ : firstLine, textsLine);
    }

    std::string CheckTexts(const QString& content, long long firstLine, long long textsLine) {
        std::map<QString, std::pair<QString, long long>> entries;  // key → value, line
        std::string packed;
        long long lineNumber = firstLine;
        for (const QString& raw : content.split(u'\n')) {
            const QString line = raw.trimmed();
            const long long at = lineNumber++;
            if (line.isEmpty() || line.startsWith(QLatin1String("//"))) {
                continue;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0) {
                Fail(at, "expected key = value, or a comment line starting with //");
            }
            const QString key = line.left(equals).trimmed();
            const QString value = line.mid(equals + 1).trimmed();
            if (key.isEmpty()) {
                Fail(at, "no key before the =");
            }
            if (value.isEmpty()) {
                Fail(at, "the text " + Quoted(key) + " has no value");
            }
            auto [known, added] = entries.try_emplace(key, value, at);
            if (!added) {
                Fail(at, "the text " + Quoted(key) + " is already set on line " +
                             std::to_string(known->second.second));
            }
            packed += (key + " = " + value).toStdString() + "\r\n";
        }
        for (const char* required : kRequiredTexts) {
            if (entries.find(QString::fromLatin1(required)) == entries.end()) {
                Fail(textsLine, std::string("the required text '") + required + "' is missing");
            }
        }
        static const QRegularExpression version(QStringLiteral("^[0-9]+(\\.[0-9]+){0,3}$"));
        static const QRegularExpression number(QStringLiteral("^[0-9]{1,9}$"));
        const auto& [productVersion, productLine] = entries.at(QStringLiteral("ProductVersion"));
        if (!version.match(productVersion).hasMatch()) {
            Fail(productLine,
                 "ProductVersion " + Quoted(productVersion) + " is not a version such as 1.0.10.0");
        }
        const auto& [webmaster, webmasterLine] = entries.at(QStringLiteral("WebmasterVersion"));
        if (!number.match(webmaster).hasMatch()) {
            Fail(webmasterLine, "WebmasterVersion " + Quoted(webmaster) +
                                    " is not a whole number (at most nine digits)");
        }
        return packed;
    }

    GameEntry ReadGame() {
        const long long gameLine = line_;
        GameEntry game;
        QString picture;
        bool hasName = false;
        bool hasUrl = false;
        for (const QXmlStreamAttribute& attribute : reader_.attributes()) {
            const QStringView name = attribute.name();
            const QString value = attribute.value().toString();
            if (name == QLatin1String("name")) {
                game.name = value.toStdString();
                hasName = true;
            } else if (name == QLatin1String("url")) {
                game.url = value.toStdString();
                hasUrl = true;
            } else if (name == QLatin1String("extra")) {
                game.extraText = value.toStdString();
            } else if (name == QLatin1String("picture")) {
                picture = value;
            } else if (name == QLatin1String("flags")) {
                game.flags = ParseFlags(value, gameLine);
            } else {
                Fail(gameLine, "unknown attribute " + Quoted(name.toString()) +
                                   " of <game>; known: name, url, picture, flags, extra");
            }
        }
        if (!hasName || game.name.empty()) {
            Fail(gameLine, "a <game> needs a name");
        }
        auto [known, added] = gameLines_.try_emplace(game.name, gameLine);
        if (!added) {
            Fail(gameLine, "the game '" + game.name + "' is already defined on line " +
                               std::to_string(known->second));
        }
        if (!hasUrl || game.url.empty()) {
            Fail(gameLine, "the game '" + game.name + "' needs a url");
        }
        const QUrl url(QString::fromStdString(game.url), QUrl::StrictMode);
        if (!url.isValid() || url.scheme().isEmpty() || url.isRelative()) {
            Fail(gameLine, "the url of '" + game.name + "' is not an absolute address");
        }
        if (picture.isEmpty()) {
            Fail(gameLine, "the game '" + game.name + "' needs a picture");
        }
        game.picture = ReadPicture(picture, gameLine);

        for (;;) {
            switch (Next()) {
                case QXmlStreamReader::StartElement:
                    Fail(line_, "<game> holds nothing; found <" +
                                    reader_.name().toString().toStdString() + ">");
                case QXmlStreamReader::Characters:
                    RejectText("game");
                    break;
                case QXmlStreamReader::EndElement:
                    return game;
                default:
                    break;
            }
        }
    }

    static std::uint32_t ParseFlags(const QString& text, long long line) {
        std::uint32_t flags = 0;
        for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
            if (word == QLatin1String("favorite")) {
                flags |= Game::FLAG_FAVORITE;
            } else if (word == QLatin1String("full-screen")) {
                flags |= Game::FLAG_FULL_SCREEN;
            } else if (word == QLatin1String("controlled")) {
                flags |= Game::FLAG_CONTROLLED;
            } else {
                Fail(line,
                     "unknown flag " + Quoted(word) + "; known: favorite, full-screen, controlled");
            }
        }
        return flags;
    }

    std::string ReadPicture(const QString& name, long long line) {
        QFile file(QDir(baseDir_).filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            Fail(line, "cannot read the picture " + Quoted(name) + ": " +
                           file.errorString().toStdString());
        }
        const QByteArray bytes = file.readAll();
        // Decoded as the program decodes it, so that a picture it would refuse is refused here.
        const QImage image = Picture::Decode(bytes);
        if (image.isNull()) {
            Fail(line, "the picture " + Quoted(name) + " is not an image that can be decoded");
        }
        const int size = GamesConfig::kImageSize;
        if (image.width() != size || image.height() != size) {
            Fail(line, "the picture " + Quoted(name) + " is " + std::to_string(image.width()) +
                           " x " + std::to_string(image.height()) + " pixels; games need " +
                           std::to_string(size) + " x " + std::to_string(size));
        }
        return bytes.toStdString();
    }

    const QString text_;
    std::vector<qsizetype> lineEnds_;  // offsets of the line feeds
    QXmlStreamReader reader_;
    QString baseDir_;
    long long line_ = 1;
    long long tokenStartLine_ = 1;
    std::map<std::string, long long> gameLines_;
};

}  // namespace

std::optional<DescriptionError> ParseDescription(const QByteArray& xml, const QString& baseDir,
                                                 Catalogue& catalogue) {
    // Decoded here rather than by the reader, so that the parser can find every token's line in
    // the text itself.
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder.decode(xml);
    if (decoder.hasError()) {
        const QString lossy = QString::fromUtf8(xml);
        const qsizetype bad = lossy.indexOf(QChar::ReplacementCharacter);
        return DescriptionError{1 + lossy.left(bad < 0 ? lossy.size() : bad).count(u'\n'),
                                "the description is not UTF-8 text"};
    }
    Catalogue parsed;
    try {
        DescriptionParser(text, baseDir).Run(parsed);
    } catch (const Failure& failure) {
        return DescriptionError{failure.line, failure.reason};
    }
    catalogue = std::move(parsed);
    return std::nullopt;
}

std::optional<DescriptionError> ReadDescription(const QString& path, Catalogue& catalogue) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return DescriptionError{0,
                                "cannot read the description: " + file.errorString().toStdString()};
    }
    return ParseDescription(file.readAll(), QFileInfo(path).absolutePath(), catalogue);
}

}  // namespace CfgPack
