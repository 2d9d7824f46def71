// Stands in for the program across an upgrade: says it is ready, waits for a line (its file may
// be replaced meanwhile), then switches "Launch at startup" on and prints the path it has for
// itself and whether the setting reads back as on.
#include <iostream>
#include <string>

#include "config/RegistryStores.h"
#include "config/VersionUtils.h"

int main() {
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    static_cast<void>(SetRunAtStartup(true));  // what it did is read back below
    std::cout << VersionUtils::GetModuleName() << '\n'
              << (GetRunAtStartup() ? "on" : "off") << std::endl;
    return 0;
}
