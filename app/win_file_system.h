// The save's file operations on Windows, reporting GetLastError's codes.
#pragma once
#include <windows.h>

#include "result_file.h"

namespace ztp {

class WinFileSystem : public SaveFileSystem {
public:
    ~WinFileSystem() override;
    int createNew(const std::filesystem::path& p) override;
    int write(const std::string& bytes) override;
    int close() override;
    int replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& p) override;
    bool isDirectory(const std::filesystem::path& p) override;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace ztp
