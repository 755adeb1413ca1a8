#include "report.h"

#include <stdexcept>

namespace e2e {
namespace {

int passed = 0, failed = 0;

std::wstring wide(const char* s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    std::wstring w(size_t(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
    return w;
}

}  // namespace

void out(const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string u(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), u.data(), n, nullptr, nullptr);
    u += "\n";
    DWORD w = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), u.data(), DWORD(u.size()), &w, nullptr);
}

std::wstring join(const std::vector<std::wstring>& v) {
    std::wstring s = L"[";
    for (size_t i = 0; i < v.size(); ++i) s += (i ? L" | " : L"") + v[i];
    return s + L"]";
}

void check(bool ok, const std::wstring& what, const std::wstring& detail) {
    if (ok) {
        ++passed;
        out(L"ok     " + what);
    } else {
        ++failed;
        out(L"FAIL   " + what + (detail.empty() ? L"" : L": " + detail));
    }
}

void checkEq(const std::wstring& got, const std::wstring& want, const std::wstring& what) {
    check(got == want, what, L"got \"" + got + L"\", want \"" + want + L"\"");
}

void checkEq(const std::vector<std::wstring>& got, const std::vector<std::wstring>& want,
             const std::wstring& what) {
    check(got == want, what, L"got " + join(got) + L", want " + join(want));
}

HWND need(HWND h, const std::wstring& what) {
    if (!h) {
        int n = WideCharToMultiByte(CP_UTF8, 0, what.c_str(), int(what.size()), nullptr, 0, nullptr,
                                    nullptr);
        std::string u(size_t(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, what.c_str(), int(what.size()), u.data(), n, nullptr,
                            nullptr);
        throw std::runtime_error("missing window: " + u);
    }
    return h;
}

void runFlow(const std::wstring& name, const std::function<void()>& flow) {
    out(L"-- " + name);
    try {
        flow();
    } catch (const std::exception& e) {
        check(false, name + L" (flow stopped)", wide(e.what()));
    }
}

int summary() {
    wchar_t line[64];
    swprintf(line, 64, L"%d passed, %d failed", passed, failed);
    out(line);
    return failed ? 1 : 0;
}

}  // namespace e2e
