#include "locale_info.h"

#include <windows.h>

namespace fw {
namespace {

std::wstring localeItem(LCTYPE item, const wchar_t* fallback) {
    wchar_t buf[16] = {};
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buf, 16);
    if (n <= 1) return fallback;
    return std::wstring(buf, static_cast<size_t>(n - 1));
}

}  // namespace

std::wstring decimalSeparator() { return localeItem(LOCALE_SDECIMAL, L"."); }
std::wstring dateSeparator() { return localeItem(LOCALE_SDATE, L"/"); }

}  // namespace fw
