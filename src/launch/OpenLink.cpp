#include "launch/OpenLink.h"

#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "platform/net/UrlUtils.h"
#include "platform/os/ShellExecute.h"

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

bool OpenNetworkLink(const std::string& address, unsigned flags) {
    if (!UrlUtils::IsWebAddress(address)) {
        LogError("Address refused, not an http or https address: '" + PrintableAddress(address) +
                 "'");
        return false;
    }
    OpenLink(address, flags);
    return true;
}

std::string PrintableAddress(const std::string& text, std::size_t maxShown) {
    if (text.size() <= maxShown) {
        return ErrorLog::Escaped(text);
    }
    // Cut before a character, not inside one.
    std::size_t cut = maxShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return ErrorLog::Escaped(std::string_view(text).substr(0, cut)) + "...";
}
