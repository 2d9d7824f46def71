#include "app/TopLevelHandler.h"

#include <exception>

#include "app/ErrorLog.h"
#include "app/Exceptions.h"
#include "app/TextTable.h"

namespace {

std::string FrameworkMessage(std::string message) {
    if (message.size() > TopLevel::kMaxFrameworkMessage) {
        message.resize(TopLevel::kMaxFrameworkMessage);
    }
    return message;
}

}  // namespace

int RunWithTopLevelHandler(const std::function<int()>& run, ErrorPresenter& presenter) {
    bool configurationError = false;
    std::string shown;
    try {
        return run();
    } catch (const FrameworkException& error) {
        shown = FrameworkMessage(error.GetMessage());
        LogError("MFC error: " + shown);
    } catch (const std::exception& error) {
        shown = FrameworkMessage(error.what());
        LogError("MFC error: " + shown);
    } catch (const ConfigurationException& error) {
        LogError("Configuration error: " + error.GetMessage());
        configurationError = true;
        shown = GetText("error.configuration") + "\r\nDescription: " + error.GetMessage();
    } catch (const AppException& error) {
        LogError("Application error: " + error.GetMessage());
        shown = error.GetMessage();
    } catch (...) {
        LogError("Unknown error");
        shown = TopLevel::kUnhandledText;
    }
    // Shown outside the handlers: a failure while showing must not escape the last resort.
    try {
        if (configurationError) {
            presenter.ShowConfigurationError(shown);
        } else {
            presenter.ShowInternalError(shown);
        }
    } catch (...) {
    }
    return 0;
}
