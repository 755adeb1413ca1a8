#include "mci_api.h"

namespace ztp {

std::string wineDosPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string dos = "Z:" + path;
    for (char& c : dos)
        if (c == '/') c = '\\';
    return dos;
}

}  // namespace ztp
