// The installer's decisions that need no Windows call: path texts, the 8.3
// path walk over a name source, the install folder, the command line, and
// the fixed names and texts. Standard C++ only; unit-tested natively.
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "path_text.h"
#include "product.h"

namespace setup {

inline constexpr const wchar_t* kSetupCaption = product::kSetupName;
inline constexpr const wchar_t* kUninstallCaption = ZTP_WIDE(ZTP_PRODUCT_NAME) L" Uninstall";
inline constexpr const wchar_t* kShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const wchar_t* kUninstallKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZTP";
// The files installed, in copy order.
inline constexpr std::array<const wchar_t*, 3> kInstalledFiles = {L"ztp.exe", L"ztp.txt",
                                                                  L"setup.exe"};
// Shortcut places: the Shell Folders values, in the order they are handled.
inline constexpr std::array<const wchar_t*, 3> kShortcutPlaces = {L"Startup", L"Desktop",
                                                                  L"Programs"};

enum class Mode { Wizard, Uninstall, Quit };
// Only the first argument counts: none, "-R"/"/R" in any case, or anything else.
Mode commandMode(const std::vector<std::wstring>& args);

std::wstring upperAscii(std::wstring s);

using fw::addBackslash;
// "C:\" and the like.
bool isDriveRoot(const std::wstring& path);
// Characters of the root: 3 for "C:\...", the length of "\\server\share"
// (with its backslash when one follows) for a network path, else 0.
size_t rootLength(const std::wstring& path);
// The part after the last backslash or colon.
std::wstring lastComponent(const std::wstring& path);
// The parent folder without a trailing backslash, except that a drive root
// keeps its backslash; empty when the path has no backslash.
std::wstring parentPath(const std::wstring& path);
// Up to and including the last backslash.
std::wstring folderOf(const std::wstring& path);

// Where the 8.3 names come from: nullopt when nothing is found at the path,
// else the entry's alternate name (empty when it has none).
using AlternateName = std::function<std::optional<std::wstring>(const std::wstring& path)>;

std::wstring shortFileName(const std::wstring& path, const AlternateName& find);
std::wstring shortDirPath(const std::wstring& folder, const AlternateName& find);
// Empty when the file itself is not found.
std::wstring shortFilePath(const std::wstring& file, const AlternateName& find);

// The install folder for the folder chosen in the wizard.
std::wstring installFolder(const std::wstring& chosen);
// The drive root of the Windows folder followed by "Program Files".
std::wstring programFilesFolder(const std::wstring& windowsDir);
// Destination paths in copy order.
std::vector<std::wstring> destinations(const std::wstring& insDir);

std::wstring shortcutFile(const std::wstring& placeFolder);
std::wstring uninstallString(const std::wstring& insDir);
// The title backdrop: rows in bands of width / 256 (at least one row),
// band k blue 255 - k down to 0, red and green 0.
int gradientBandHeight(int screenWidth);
int gradientBlue(int row, int screenWidth);

// The start-up rename file in the Windows folder.
std::wstring renameFile(const std::wstring& windowsDir);
// The last message of an uninstall; deferred tells whether the deletion of
// setupPath is scheduled.
std::wstring uninstallDoneMessage(bool deferred, const std::wstring& setupPath);

}  // namespace setup
