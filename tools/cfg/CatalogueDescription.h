#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

#include "cfg/CataloguePack.h"

// The catalogue description that a person writes and tivora-cfg packs, in XML (UTF-8):
//
//   <catalogue>
//     <texts>
//       // comment lines start with two slashes
//       ProductVersion = 1.0.10.0
//       ...
//     </texts>
//     <game name="Chess" url="http://example.com/chess.html" picture="chess.png"
//           flags="favorite full-screen controlled" extra="any text"/>
//   </catalogue>
//
// The texts need ProductVersion (a version such as 1.0.10.0), WebmasterVersion (a whole
// number), ManifestUrl, RegistrationUrl and DistributionId; other keys are kept as they are.
// Every game needs a name of its own, an absolute address and a 21 × 21 picture file, named
// relative to the description; "flags" and "extra" may be left out.
namespace CfgPack {

struct DescriptionError {
    long long line = 0;  // 1-based; 0 when the description could not be read at all
    std::string reason;
};

// Parses the description; picture files are looked up in baseDir. Fills catalogue and returns
// nothing, or returns the first fault with its line.
std::optional<DescriptionError> ParseDescription(const QByteArray& xml, const QString& baseDir,
                                                 Catalogue& catalogue);

// The description in the file at path, its pictures beside it.
std::optional<DescriptionError> ReadDescription(const QString& path, Catalogue& catalogue);

}  // namespace CfgPack
