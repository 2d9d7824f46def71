#include "app/AppProfile.h"

#include "platform/os/SystemPaths.h"

namespace AppProfile {
std::string Key() {
    return "Software\\Nuvexa\\" + SystemPaths::ExecutableName();
}
}  // namespace AppProfile
