#include "app/TopLevelHandler.h"

#include <exception>
#include <new>
#include <system_error>

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
    } catch (const std::bad_alloc& error) {
        shown = FrameworkMessage(error.what());
        LogError("MFC error: " + shown);
    } catch (const std::system_error& error) {
        // The system refused a resource (a file, a thread, a lock): a failure of the
        // framework's services. Any other standard exception is the program's own logic
        // error and is an unknown error below, like anything else it did not expect.
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
