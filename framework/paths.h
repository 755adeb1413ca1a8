// Paths as the file system sees them.
#pragma once
#include <string>

#include "path_text.h"

namespace fw {

// The full path of p, as GetFullPathNameW makes it; p itself when it has none.
std::wstring fullPath(const std::wstring& p);
// Whether p names an existing folder.
bool isDirectory(const std::wstring& p);

}  // namespace fw
