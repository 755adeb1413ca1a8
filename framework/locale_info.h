// The user's locale separators.
#pragma once
#include <string>

namespace fw {

std::wstring decimalSeparator();  // LOCALE_SDECIMAL, "." if none
std::wstring dateSeparator();     // LOCALE_SDATE, "/" if none

}  // namespace fw
