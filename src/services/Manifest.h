#pragma once

#include <string>

#include "config/UpdateManifest.h"

// Reading the update manifest: tagged values anywhere in a text.
namespace Manifest {

// The text of "<tag>" up to the first "</tag>" of the whole text, trimmed of blanks; with
// dropLineBreaks, CR LF pairs and then lone line feeds are removed. Empty when either tag is
// missing or the closing tag stands before the value would start.
std::string ExtractTag(const std::string& text, const std::string& tag, bool dropLineBreaks);

// A reply read as lines and joined without their line feeds.
std::string JoinLines(const std::string& reply);

// Fills manifest from the text; false when the header tag or a required value is missing.
bool Parse(const std::string& text, UpdateManifest& manifest);

}  // namespace Manifest
