#pragma once

#include <functional>
#include <string>

// Shows what the top-level handler has to show; the dialogs live above this library.
class ErrorPresenter {
public:
    virtual ~ErrorPresenter() = default;
    // The internal-error dialog with its error text; returns when the user closed it.
    virtual void ShowInternalError(const std::string& errorText) = 0;
    // The configuration message box (no owner, OK only, caption "Tivora") with its text.
    virtual void ShowConfigurationError(const std::string& text) = 0;
};

// Runs the program inside the last-resort handler: an exception that escapes is logged and
// shown, and the exit code is then 0. Without an exception, the result of run.
int RunWithTopLevelHandler(const std::function<int()>& run, ErrorPresenter& presenter);

namespace TopLevel {
// The framework's message buffer held 700 characters, terminating zero included.
constexpr std::size_t kMaxFrameworkMessage = 699;
constexpr const char* kUnhandledText = "Unhandled internal exception";
}  // namespace TopLevel
