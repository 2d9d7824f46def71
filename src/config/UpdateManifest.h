#pragma once

#include <string>

// The five texts that describe a release, in the order they are handed on.
struct UpdateManifest {
    std::string productVersion;  // four numbers separated by "."
    std::string build;           // decimal build number
    std::string description;     // free text, line breaks kept
    std::string url;             // download or information page
    std::string date;            // free text

    bool operator==(const UpdateManifest&) const = default;
};
