#include "actions.h"

#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include "com_ptr.h"
#include "dialogs.h"
#include "paths.h"
#include "shell_open.h"
#include "utf.h"

namespace setup {
namespace {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool open(HKEY root, const wchar_t* path) {
        return RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS;
    }
    bool create(HKEY root, const wchar_t* path) {
        return RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

enum class ValueState { Missing, Text, NotText };

// A string value (REG_EXPAND_SZ expanded); Missing when absent.
ValueState readString(HKEY key, const wchar_t* name, std::wstring& out) {
    out.clear();
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return ValueState::Missing;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ValueState::NotText;
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = DWORD(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes) !=
        ERROR_SUCCESS)
        return ValueState::Missing;
    buf.resize(wcsnlen(buf.c_str(), bytes / sizeof(wchar_t)));
    if (type == REG_EXPAND_SZ) {
        DWORD n = ExpandEnvironmentStringsW(buf.c_str(), nullptr, 0);
        std::wstring ex(n, L'\0');
        if (n && ExpandEnvironmentStringsW(buf.c_str(), ex.data(), n)) {
            ex.resize(wcslen(ex.c_str()));
            buf = ex;
        }
    }
    out = buf;
    return ValueState::Text;
}

std::string quoted(const wchar_t* name) { return "'" + fw::narrow(name) + "'"; }

// Reads each shortcut place's Shell Folders value in turn and hands it to
// visit(place index, state, folder); nothing when the key cannot be opened.
template <class Visit>
void forEachShortcutPlace(Visit visit) {
    RegKey key;
    if (!key.open(HKEY_CURRENT_USER, kShellFoldersKey)) return;
    for (size_t i = 0; i < kShortcutPlaces.size(); ++i) {
        std::wstring folder;
        ValueState st = readString(key.get(), kShortcutPlaces[i], folder);
        visit(i, st, folder);
    }
}

}  // namespace

std::wstring modulePath() {
    for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
        std::wstring buf(size, L'\0');
        SetLastError(ERROR_SUCCESS);
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), size);
        if (n == 0) break;
        if (n < size && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            buf.resize(n);
            return buf;
        }
    }
    throw std::runtime_error("プログラムのパスを取得できません");
}

std::wstring windowsDirectory() {
    UINT n = GetWindowsDirectoryW(nullptr, 0);
    std::wstring buf(n, L'\0');
    n = GetWindowsDirectoryW(buf.data(), n);
    buf.resize(n);
    return buf;
}

std::optional<std::wstring> findAlternateName(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(path.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(h);
    return std::wstring(fd.cAlternateFileName);
}

bool createShellLink(const std::wstring& link, const std::wstring& target,
                     const std::wstring& description, const std::wstring& workDir) {
    // Released in this order: the persist-file interface, then the link.
    fw::ComPtr<IShellLinkW> shell;
    fw::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shell.putVoid())))
        return false;
    if (FAILED(shell->QueryInterface(IID_IPersistFile, file.putVoid()))) return false;
    if (FAILED(shell->SetPath(target.c_str()))) return false;
    if (FAILED(shell->SetDescription(description.c_str()))) return false;
    if (!workDir.empty() && FAILED(shell->SetWorkingDirectory(workDir.c_str()))) return false;
    return SUCCEEDED(file->Save(link.c_str(), TRUE));
}

bool mainProgramBlocks(HWND owner, const wchar_t* caption) {
    if (!FindWindowW(product::kMainClass, product::kName)) return false;
    fw::message(owner, L"ZTP for win32 を終了して下さい", caption, MB_ICONINFORMATION);
    return true;
}

namespace {

// Whether two paths name one existing file.
bool sameFile(const std::wstring& a, const std::wstring& b) {
    auto id = [](const std::wstring& p, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE h = CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool ok = GetFileInformationByHandle(h, &info) != FALSE;
        CloseHandle(h);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (!id(a, x) || !id(b, y)) return false;
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

void createInstallFolder(const std::wstring& folder) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)", SDDL_REVISION_1, &sd,
            nullptr)) {
        CreateDirectoryW(folder.c_str(), nullptr);
        return;
    }
    SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
    CreateDirectoryW(folder.c_str(), &sa);
    LocalFree(sd);
}

bool copyInstalledFile(const std::wstring& source, const std::wstring& dest) {
    if (lstrcmpiW(fw::fullPath(source).c_str(), fw::fullPath(dest).c_str()) == 0 ||
        sameFile(source, dest))
        return GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES;
    return CopyFileW(source.c_str(), dest.c_str(), FALSE) != FALSE;
}

void updateShortcuts(const std::wstring& insDir, const ShortcutChoice& choice) {
    const bool chosen[] = {choice.startup, choice.desktop, choice.startMenu};
    forEachShortcutPlace([&](size_t i, ValueState st, const std::wstring& folder) {
        if (st == ValueState::NotText)
            throw ERegistryError(quoted(kShortcutPlaces[i]) + " のﾃﾞｰﾀ型が不正です");
        // A place without a folder is left alone.
        if (folder.empty()) return;
        std::wstring link = shortcutFile(folder);
        if (chosen[i]) createShellLink(link, insDir + L"\\ztp.exe", product::kName, insDir);
        else DeleteFileW(link.c_str());
    });
}

void writeUninstallEntry(const std::wstring& insDir) {
    RegKey key;
    if (!key.create(HKEY_LOCAL_MACHINE, kUninstallKey)) return;
    auto put = [&](const wchar_t* name, const std::wstring& value) {
        if (RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           DWORD((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            throw ERegistryError(quoted(name) + " の設定に失敗しました");
    };
    put(L"DisplayName", product::kName);
    put(L"UninstallString", uninstallString(insDir));
}

void finishActions(HWND owner, const std::wstring& insDir, bool readMe, bool run) {
    // As the user signed in, not with the installer's administrator rights.
    if (readMe) fw::shellOpen(owner, insDir + L"\\ztp.txt", SW_SHOWNORMAL);
    if (run) fw::shellOpen(owner, insDir + L"\\ztp.exe", SW_SHOWNORMAL);
}

int uninstall() {
    std::wstring ownFolder = folderOf(modulePath());
    std::wstring question =
        std::wstring(product::kNameAndVersion) + L" のアンインストールを行いますがよろしいですか";
    if (!fw::askYesNo(nullptr, question, kUninstallCaption)) return 0;
    // Its files cannot go while the program runs: change nothing.
    if (mainProgramBlocks(nullptr, kUninstallCaption)) return 0;
    // Every shortcut goes; a place whose value is not text is passed over.
    forEachShortcutPlace([](size_t, ValueState st, const std::wstring& folder) {
        if (st == ValueState::Text && !folder.empty()) DeleteFileW(shortcutFile(folder).c_str());
    });
    // Given a subkey, RegDeleteTreeW deletes the key itself with everything
    // under it: no RegDeleteKeyW after it.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteFileW((ownFolder + L"ztp.exe").c_str());
    DeleteFileW((ownFolder + L"ztp.txt").c_str());

    std::wstring self = ownFolder + L"setup.exe";
    // The completion message names the long path, whatever path started us.
    if (DWORD n = GetLongPathNameW(self.c_str(), nullptr, 0)) {
        std::wstring longSelf(n, L'\0');
        n = GetLongPathNameW(self.c_str(), longSelf.data(), n);
        if (n && n < longSelf.size()) {
            longSelf.resize(n);
            self = longSelf;
        }
    }
    std::wstring shortSelf = shortFilePath(self);
    bool deferred = false;
    if (!shortSelf.empty()) {
        WritePrivateProfileStringW(L"Rename", L"NUL", shortSelf.c_str(),
                                   renameFile(windowsDirectory()).c_str());
        // A 64-bit program runs only on NT-based Windows, which ignores the
        // rename file: the deletion it honours is the one MoveFileEx records.
        deferred = MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    }
    fw::message(nullptr, uninstallDoneMessage(deferred, self), kUninstallCaption,
                MB_ICONINFORMATION);
    return 0;
}

}  // namespace setup
