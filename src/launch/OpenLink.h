#pragma once

#include <string>

// Flags of OpenLink.
enum OpenLinkFlags : unsigned {
    NEW_WINDOW = 1,   // "-new "
    FULL_SCREEN = 2,  // "-k "
};

// Opens address in the user's browser, in a new window and full screen as flags ask. An
// address that cannot be made canonical within 2084 bytes opens nothing and writes an error
// line; whether the browser started is not reported.
void OpenLink(const std::string& address, unsigned flags);
