// The settings file reader over arbitrary bytes: it must never crash, read out of bounds or
// allocate for lengths the data cannot hold; a broken file is an exception.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/Exceptions.h"
#include "config/Archive.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/SettingsSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GamesConfig games;
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;
    SettingsStorage storage({&games, &window, &update, &registration});
    try {
        storage.ReadSettingsData(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ArchiveException&) {
    } catch (const ConfigurationException&) {
    }
    return 0;
}
