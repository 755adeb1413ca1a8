#include "win_file_system.h"

#include <algorithm>

#include "paths.h"

namespace ztp {

WinFileSystem::~WinFileSystem() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

int WinFileSystem::createNew(const std::filesystem::path& p) {
    file_ = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    if (file_ != INVALID_HANDLE_VALUE) return 0;
    const DWORD err = GetLastError();
    return err == ERROR_ALREADY_EXISTS ? kErrorFileExists : int(err);
}

int WinFileSystem::write(const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - at, 1u << 20)), done = 0;
        if (!WriteFile(file_, bytes.data() + at, chunk, &done, nullptr)) return int(GetLastError());
        if (done == 0) return kErrorDiskFull;
        at += done;
    }
    return 0;
}

int WinFileSystem::close() {
    int rc = FlushFileBuffers(file_) ? 0 : int(GetLastError());
    if (!CloseHandle(file_) && rc == 0) rc = int(GetLastError());
    file_ = INVALID_HANDLE_VALUE;
    return rc;
}

int WinFileSystem::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return int(GetLastError());
}

void WinFileSystem::remove(const std::filesystem::path& p) { DeleteFileW(p.c_str()); }

bool WinFileSystem::isDirectory(const std::filesystem::path& p) {
    return fw::isDirectory(p.wstring());
}

}  // namespace ztp
