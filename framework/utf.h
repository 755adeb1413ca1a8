// UTF-8 <-> UTF-16 conversion between the portable core and the W API.
#pragma once
#include <string>
#include <string_view>

namespace fw {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);

}  // namespace fw
