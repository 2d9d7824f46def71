#pragma once

#include <log4cpp/Layout.hh>
#include <string>
#include <string_view>

// Writes one line at priority ERROR to "errors.log" in the application data folder. Never
// fails towards its caller: when the folder cannot be found or made, the line is lost and the
// log is set up again on the next call. Callable from any thread.
void LogError(const std::string& text);

// "[dd:mm:yyyy hh.mm.ss] PRIORITY: message" and a line break, the time stamp in local time.
// The message is escaped as ErrorLog::Escaped does: a line of the log is one line in any
// viewer, whatever text the message carries.
class ErrorLogLayout : public log4cpp::Layout {
public:
    std::string format(const log4cpp::LoggingEvent& event) override;
};

namespace ErrorLog {
// The values of the log's set-up.
constexpr const char* kCategoryName = "ErorCategory";
constexpr const char* kAppenderName = "ErrorFileAppender";
constexpr const char* kFileName = "errors.log";
constexpr std::size_t kMaxFileSize = 10 * 1024 * 1024;
constexpr unsigned kBackupFiles = 1;
constexpr unsigned kFileMode = 0644;

// text with everything that breaks a line written as an escape: the C0 controls and DEL as
// "\x" and two hexadecimal digits, the line and paragraph separators U+0085, U+2028 and
// U+2029 (in UTF-8) as "\u" and four. All other bytes stay as they are.
std::string Escaped(std::string_view text);
}  // namespace ErrorLog
