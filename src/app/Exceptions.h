#pragma once

#include <string>
#include <utility>

// The program's own exceptions. Each carries one message text; they are thrown by value and
// caught by reference. They deliberately do not derive from std::exception, which the
// top-level handler sorts apart: resource failures of the standard library are framework
// errors, its other exceptions the program's own logic errors.
class AppException {
public:
    explicit AppException(std::string message) : message_(std::move(message)) {}
    virtual ~AppException() = default;
    const std::string& GetMessage() const { return message_; }

private:
    std::string message_;
};

// A missing or malformed games configuration, or a settings file of a wrong version.
class ConfigurationException : public AppException {
public:
    using AppException::AppException;
};

// A failure of the framework's own services (memory, files) that the program does not expect.
class FrameworkException {
public:
    explicit FrameworkException(std::string message) : message_(std::move(message)) {}
    const std::string& GetMessage() const { return message_; }

private:
    std::string message_;
};

namespace PathUtils {
class Exception : public AppException {
public:
    using AppException::AppException;
};
}  // namespace PathUtils

namespace VersionUtils {
class Exception : public AppException {
public:
    using AppException::AppException;
};
}  // namespace VersionUtils
