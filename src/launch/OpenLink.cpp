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

std::string PrintableAddress(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    constexpr std::size_t kMaxShown = UrlUtils::kMaxUrlBuffer - 1;
    std::string printable;
    for (unsigned char byte : text.substr(0, kMaxShown)) {
        if (byte < 0x20 || byte == 0x7F) {
            printable += "\\x";
            printable += kHex[byte >> 4];
            printable += kHex[byte & 0x0F];
        } else {
            printable += static_cast<char>(byte);
        }
    }
    if (text.size() > kMaxShown) {
        printable += "...";
    }
    return printable;
}
