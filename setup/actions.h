// The installer's work on disk, in the registry and through the shell.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

#include "setup_logic.h"

namespace setup {

// A registry value of the wrong type or a failed write; the message names
// the value.
class ERegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The running program's full path; throws when it cannot be had whole.
std::wstring modulePath();
std::wstring windowsDirectory();
// 8.3 names as the file system reports them.
std::optional<std::wstring> findAlternateName(const std::wstring& path);
inline std::wstring shortFilePath(const std::wstring& file) {
    return setup::shortFilePath(file, findAlternateName);
}
inline std::wstring shortDirPath(const std::wstring& folder) {
    return setup::shortDirPath(folder, findAlternateName);
}

bool createShellLink(const std::wstring& link, const std::wstring& target,
                     const std::wstring& description, const std::wstring& workDir);

// Whether the main program's window is open; if so, asks the user in a
// message box (owner, caption) to end it.
bool mainProgramBlocks(HWND owner, const wchar_t* caption);

// Creates the install folder (one level). A folder made here gets a
// protected DACL of its own: Administrators and SYSTEM full control, Users
// read and execute, inherited by all in it; so a folder outside Program
// Files (C:\ZTP) is not open to every user as the drive root is. A folder
// that exists is used as it is. The result is not reported.
void createInstallFolder(const std::wstring& folder);

// Copies a file, replacing the destination; a file copied onto itself
// counts as done.
bool copyInstalledFile(const std::wstring& source, const std::wstring& dest);

struct ShortcutChoice {
    bool startup = false, desktop = false, startMenu = false;
};

// Creates the chosen shortcuts and deletes the others. Throws
// ERegistryError for a Shell Folders value that is not a string.
void updateShortcuts(const std::wstring& insDir, const ShortcutChoice& choice);
// Writes the uninstall entry; throws ERegistryError when a write fails.
void writeUninstallEntry(const std::wstring& insDir);
// Opens the manual and starts the program, as chosen.
void finishActions(HWND owner, const std::wstring& insDir, bool readMe, bool run);

// Uninstall mode; returns the exit code.
int uninstall();

}  // namespace setup
