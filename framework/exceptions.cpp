#include "exceptions.h"

#include <windows.h>
#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "utf.h"

namespace fw {
namespace {

std::string systemText(unsigned long code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::wstring text = n ? std::wstring(buf, n) : L"";
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                             text.back() == L'。' || text.back() == L' '))
        text.pop_back();
    return narrow(text);
}

}  // namespace

EWin32Error::EWin32Error(const std::string& what, unsigned long code)
    : std::runtime_error(what), code_(code) {}

void throwLastError(const char* call) {
    DWORD code = GetLastError();
    std::string text = systemText(code);
    if (text.empty()) text = std::string(call) + " failed, code " + std::to_string(code);
    throw EWin32Error(text, code);
}

std::string exceptionClassName(const std::exception& e) {
    const char* mangled = typeid(e).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && plain) ? plain : mangled;
    std::free(plain);
    auto pos = name.rfind("::");
    if (pos != std::string::npos) name = name.substr(pos + 2);
    return name;
}

std::wstring exceptionMessage(const std::exception& e) { return widen(e.what()); }

}  // namespace fw
