// What the end-to-end programs print: one line a check ("ok" or "FAIL"),
// flow headings, and the closing count.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

void out(const std::wstring& s);  // a line on standard output, UTF-8
std::wstring join(const std::vector<std::wstring>& v);

void check(bool ok, const std::wstring& what, const std::wstring& detail = L"");
void checkEq(const std::wstring& got, const std::wstring& want, const std::wstring& what);
void checkEq(const std::vector<std::wstring>& got, const std::vector<std::wstring>& want,
             const std::wstring& what);

// Stops a flow whose next steps cannot run without this window.
HWND need(HWND h, const std::wstring& what);

// Runs one flow; an exception stops it as one failed check.
void runFlow(const std::wstring& name, const std::function<void()>& flow);
// Prints "N passed, N failed"; the exit code (1 if any failed).
int summary();

}  // namespace e2e
