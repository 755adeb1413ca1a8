// Exceptions of the framework and how any exception is named and worded.
#pragma once
#include <exception>
#include <stdexcept>
#include <string>

namespace fw {

// A failed Windows call; the message is the system's text for the code.
class EWin32Error : public std::runtime_error {
public:
    EWin32Error(const std::string& what, unsigned long code);
    unsigned long code() const { return code_; }

private:
    unsigned long code_;
};

[[noreturn]] void throwLastError(const char* call);

// The class name of an exception without namespaces ("EConvertError").
std::string exceptionClassName(const std::exception& e);
// The exception's message as UTF-16 (messages are UTF-8).
std::wstring exceptionMessage(const std::exception& e);

}  // namespace fw
