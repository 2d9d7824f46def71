#include "services/Manifest.h"

#include <algorithm>

#include "app/Trace.h"

namespace Manifest {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void RemoveAll(std::string& text, const std::string& what) {
    for (std::string::size_type at = text.find(what); at != std::string::npos;
         at = text.find(what, at)) {
        text.erase(at, what.size());
    }
}

}  // namespace

std::string ExtractTag(const std::string& text, const std::string& tag, bool dropLineBreaks) {
    const std::string opening = "<" + tag + ">";
    const std::string closing = "</" + tag + ">";
    const std::string::size_type open = text.find(opening);
    // The closing tag is looked for from the start, not from the opening tag.
    const std::string::size_type close =
        open == std::string::npos ? std::string::npos : text.find(closing);
    if (open == std::string::npos || close == std::string::npos) {
        Trace("Unable to find manifest parameter");
        Trace(tag);
        return {};
    }
    const std::string::size_type start = open + opening.size();
    if (close <= start) {
        return {};
    }
    std::string value = text.substr(start, close - start);
    auto first = std::find_if_not(value.begin(), value.end(), IsBlank);
    auto last = std::find_if_not(value.rbegin(), value.rend(), IsBlank).base();
    value = first < last ? std::string(first, last) : std::string();
    if (dropLineBreaks) {
        RemoveAll(value, "\r\n");
        RemoveAll(value, "\n");
    }
    return value;
}

std::string JoinLines(const std::string& reply) {
    std::string text;
    text.reserve(reply.size());
    for (char c : reply) {
        if (c != '\n') {
            text += c;
        }
    }
    return text;
}

bool Parse(const std::string& text, UpdateManifest& manifest) {
    Trace("Parsing manifest");
    if (text.find("<toolbar_manifest>") == std::string::npos) {
        Trace("Unable to parse update manifest. Header tag not found");
        return false;
    }
    manifest.productVersion = ExtractTag(text, "product_version", true);
    if (manifest.productVersion.empty()) {
        Trace("Unable to parse update manifest. Version tag not found");
        return false;
    }
    manifest.build = ExtractTag(text, "merchant_build", true);
    if (manifest.build.empty()) {
        Trace("Unable to parse update manifest. Build tag not found");
        return false;
    }
    manifest.url = ExtractTag(text, "url", true);
    if (manifest.url.empty()) {
        Trace("Unable to parse update manifest. Url tag not found");
        return false;
    }
    manifest.date = ExtractTag(text, "date", true);
    manifest.description = ExtractTag(text, "description", false);
    Trace("Parsing manifest OK");
    return true;
}

}  // namespace Manifest
