// Exceptions raised by the core, mirroring the framework's error classes.
// Messages are UTF-8.
#pragma once
#include <stdexcept>
#include <string>

namespace ztp {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
};

// A text that is not an integer: "'%s' は整数ではありません".
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A failed file operation; code is the system's error number.
class EInOutError : public Exception {
public:
    EInOutError(const std::string& msg, int code) : Exception(msg), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

}  // namespace ztp
