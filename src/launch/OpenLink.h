#pragma once

#include <cstddef>
#include <string>

#include "platform/net/UrlUtils.h"

// Flags of OpenLink.
enum OpenLinkFlags : unsigned {
    NEW_WINDOW = 1,   // "-new "
    FULL_SCREEN = 2,  // "-k "
};

// Opens address in the user's browser, in a new window and full screen as flags ask. An
// address that cannot be made canonical within 2084 bytes opens nothing and writes an error
// line; whether the browser started is not reported.
void OpenLink(const std::string& address, unsigned flags);

// OpenLink for an address that came from the network (a manifest, a web page): only an http or
// https address written in full is opened. Anything else opens nothing, writes an error line
// and gives false.
bool OpenNetworkLink(const std::string& address, unsigned flags);

// Text from outside as it may stand in a log line: what breaks a line as escapes
// (ErrorLog::Escaped), cut after maxShown bytes, by default the longest address a browser takes.
std::string PrintableAddress(const std::string& text,
                             std::size_t maxShown = UrlUtils::kMaxUrlBuffer - 1);
