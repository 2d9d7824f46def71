#pragma once

#include <optional>
#include <string>
#include <vector>

// Opening a web page in the user's browser: the verb "open" on the program "iexplore" with a
// parameter string of optional switches ("-new " for a new window, "-k " for full screen) followed
// by the address. No shell is ever involved: the parameter string is split into the switches and
// one address, and the browser is started with an argument vector.
//
// "iexplore" stands for the browser named by $TIVORA_BROWSER, else the desktop's default web
// browser (the XDG MIME association of x-scheme-handler/http or https, as `xdg-mime query
// default` finds it), else the first of chromium, google-chrome and firefox found on $PATH,
// else xdg-open with the address alone. A browser whose options are known (the Chromium and
// Firefox families, and whatever $TIVORA_BROWSER names) gets "-new" as --new-window and "-k"
// as --kiosk; any other default browser is started as its desktop entry's Exec line says, with
// the address alone. An address that is empty or starts with '-' starts nothing, so that it
// can never be taken for an option.

constexpr int SW_SHOW = 5;

// True when the browser was started. directory and showCommand have no meaning here.
bool ShellExecute(const std::string& operation, const std::string& file,
                  const std::string& parameters, const std::string& directory = {},
                  int showCommand = SW_SHOW);

namespace ShellExecuteHook {

struct Call {
    std::string operation;
    std::string file;
    std::string parameters;
    std::string directory;
    int showCommand = 0;
};

// Tests answer the call instead of starting a browser.
class Hook {
public:
    virtual ~Hook() = default;
    virtual bool Intercept(const Call& call) = 0;
};

// Installs the hook (nullptr removes it) and returns the previous one. UI thread only.
Hook* Set(Hook* hook);

}  // namespace ShellExecuteHook

namespace BrowserCommand {

// What ShellExecute runs for "iexplore" and a parameter string: the program's path and its
// arguments; nullopt when there is no browser or the parameters hold no usable address.
struct Command {
    std::string program;
    std::vector<std::string> arguments;
};
std::optional<Command> ForParameters(const std::string& parameters);

}  // namespace BrowserCommand
