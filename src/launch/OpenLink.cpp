#include "launch/OpenLink.h"

#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "platform/ShellExecute.h"
#include "platform/UrlUtils.h"

void OpenLink(const std::string& address, unsigned flags) {
    std::optional<std::string> canonical = UrlUtils::Canonicalize(address, UrlUtils::kMaxUrlBuffer);
    if (!canonical) {
        LogError("Unable to canonicalize URL '" + address + "'");
        return;
    }
    std::string trace = "Link to " + address + " with parameters: ";
    std::string parameters;
    if ((flags & NEW_WINDOW) != 0) {
        trace += "NEW_WINDOW ";
        parameters += "-new ";
    }
    if ((flags & FULL_SCREEN) != 0) {
        trace += "FULL_SCREEN ";
        parameters += "-k ";
    }
    parameters += *canonical;
    Trace(trace);
    ShellExecute("open", "iexplore", parameters, {}, SW_SHOW);
}
