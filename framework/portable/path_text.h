// Windows path texts that need no Windows call.
#pragma once
#include <string>

namespace fw {

// The path with a trailing backslash (an empty path gives "\").
inline std::wstring addBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}

}  // namespace fw
