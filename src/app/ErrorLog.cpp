#include "app/ErrorLog.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Priority.hh>
#include <log4cpp/RollingFileAppender.hh>

#include <cstdio>
#include <ctime>
#include <mutex>
#include <stdexcept>

#include "app/PathUtils.h"
#include "platform/os/ProcessObjects.h"
#include "platform/os/RegularFile.h"

namespace {

// The process-wide diagnostics category; made on the first LogError that can find the folder.
class DiagnosticsCategory {
public:
    DiagnosticsCategory() {
        std::string path = PathUtils::GetAppDataFile(ErrorLog::kFileName);
        // The appender opens the file by name and would wait forever for a reader of a FIFO
        // put in its place; without a usable file the line is lost, as with a missing folder.
        if (RegularFile::KindOf(path) == RegularFile::Kind::Other) {
            throw std::runtime_error(path + " is not a regular file");
        }
        auto* appender =
            new log4cpp::RollingFileAppender(ErrorLog::kAppenderName, path, ErrorLog::kMaxFileSize,
                                             ErrorLog::kBackupFiles, true, ErrorLog::kFileMode);
        appender->setLayout(new ErrorLogLayout());  // the appender owns its layout
        category_ = &log4cpp::Category::getInstance(ErrorLog::kCategoryName);
        category_->setAdditivity(false);
        category_->addAppender(appender);  // and the category its appender
        category_->setPriority(log4cpp::Priority::ERROR);
    }

    ~DiagnosticsCategory() {
        category_->removeAllAppenders();
        log4cpp::Category::shutdown();
    }

    void Error(const std::string& text) { category_->error(text); }

private:
    log4cpp::Category* category_ = nullptr;
};

// Lines come from the user-interface thread and the worker; one at a time keeps a line whole
// and the set-up single.
std::mutex g_logMutex;

}  // namespace

void LogError(const std::string& text) {
    std::lock_guard lock(g_logMutex);
    try {
        ProcessWide<DiagnosticsCategory>().Error(text);
    } catch (...) {
        // The line is lost; the category is tried again next time.
    }
}

std::string ErrorLogLayout::format(const log4cpp::LoggingEvent& event) {
    std::time_t seconds = static_cast<std::time_t>(event.timeStamp.getSeconds());
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%02d:%02d:%04d %02d.%02d.%02d] ", local.tm_mday,
                  local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec);
    return stamp + log4cpp::Priority::getPriorityName(event.priority) + ": " +
           ErrorLog::Escaped(event.message) + "\n";
}

std::string ErrorLog::Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::string_view rest = text.substr(i);
        if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        } else if (rest.starts_with("\xC2\x85")) {
            escaped += "\\u0085";
            i += 1;
        } else if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) {
            escaped += rest[2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            escaped += text[i];
        }
    }
    return escaped;
}
