// A UTF-8 string as a filesystem path.
#pragma once
#include <filesystem>
#include <string>

namespace ztp {

inline std::filesystem::path utf8Path(const std::string& utf8) {
    return std::filesystem::path(reinterpret_cast<const char8_t*>(utf8.c_str()));
}

}  // namespace ztp
