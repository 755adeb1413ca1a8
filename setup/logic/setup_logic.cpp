#include "setup_logic.h"

namespace setup {

std::wstring upperAscii(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    return s;
}

Mode commandMode(const std::vector<std::wstring>& args) {
    if (args.empty()) return Mode::Wizard;
    std::wstring first = upperAscii(args.front());
    return first == L"-R" || first == L"/R" ? Mode::Uninstall : Mode::Quit;
}

bool isDriveRoot(const std::wstring& path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

size_t rootLength(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2) return 0;
        size_t share = path.find(L'\\', server + 1);
        if (share == std::wstring::npos) return path.size() > server + 1 ? path.size() : 0;
        return share + 1;
    }
    return 0;
}

std::wstring lastComponent(const std::wstring& path) {
    size_t pos = path.find_last_of(L"\\:");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring parentPath(const std::wstring& path) {
    std::wstring p = path;
    if (p.size() > 1 && p.back() == L'\\' && !isDriveRoot(p)) p.pop_back();
    size_t pos = p.rfind(L'\\');
    if (pos == std::wstring::npos) return {};
    std::wstring parent = p.substr(0, pos);
    if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
    return parent;
}

std::wstring folderOf(const std::wstring& path) {
    size_t pos = path.rfind(L'\\');
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring shortFileName(const std::wstring& path, const AlternateName& find) {
    std::wstring name = lastComponent(path);
    std::optional<std::wstring> alt = find(path);
    if (!alt) return {};
    if (upperAscii(*alt) == upperAscii(name) || alt->find(L'~') != std::wstring::npos) return *alt;
    return name;
}

std::wstring shortDirPath(const std::wstring& folder, const AlternateName& find) {
    if (isDriveRoot(folder)) return folder;
    size_t root = rootLength(folder);
    if (root && folder.size() <= root) return folder;  // "\\server\share" itself
    std::wstring parent = parentPath(folder);
    // No root to end at: a relative path or a bare name stays as it is.
    if (parent.empty() || parent.size() >= folder.size()) return folder;
    std::wstring head = shortDirPath(parent, find);
    return addBackslash(head) + shortFileName(folder, find);
}

std::wstring shortFilePath(const std::wstring& file, const AlternateName& find) {
    // The folder part: everything before the last backslash.
    size_t pos = file.rfind(L'\\');
    std::wstring folder = pos == std::wstring::npos ? std::wstring() : file.substr(0, pos);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    std::wstring dir = shortDirPath(folder, find);
    if (lastComponent(file).empty()) return dir;
    std::wstring name = shortFileName(file, find);
    if (name.empty()) return {};
    return dir.empty() ? name : addBackslash(dir) + name;
}

std::wstring installFolder(const std::wstring& chosen) {
    if (isDriveRoot(chosen)) return chosen + L"ZTP";
    if (upperAscii(lastComponent(chosen)) == L"ZTP") return chosen;
    return addBackslash(chosen) + L"ZTP";
}

std::wstring programFilesFolder(const std::wstring& windowsDir) {
    return windowsDir.substr(0, 3) + L"Program Files";
}

std::vector<std::wstring> destinations(const std::wstring& insDir) {
    std::vector<std::wstring> out;
    for (const wchar_t* f : kInstalledFiles) out.push_back(insDir + L"\\" + f);
    return out;
}

std::wstring shortcutFile(const std::wstring& placeFolder) {
    return addBackslash(placeFolder) + product::kName + L".lnk";
}

std::wstring uninstallString(const std::wstring& insDir) {
    return L"\"" + insDir + L"\\setup.exe\" -R";
}

int gradientBandHeight(int screenWidth) {
    int band = screenWidth / 256;
    return band > 0 ? band : 1;
}

int gradientBlue(int row, int screenWidth) {
    int blue = 255 - row / gradientBandHeight(screenWidth);
    return blue > 0 ? blue : 0;
}

std::wstring renameFile(const std::wstring& windowsDir) {
    return addBackslash(windowsDir) + L"Wininit.ini";
}

std::wstring uninstallDoneMessage(bool deferred, const std::wstring& setupPath) {
    if (deferred)
        return L"アンインストールは完了しました。\r\n以下のファイルは Windows "
               L"再起動後に削除されます\r\n\r\n" +
               setupPath;
    return L"アンインストールは完了しました。\r\nお手数をお掛けしますが以下のファイルを削除して下さ"
           L"い。\r\n\r\n" +
           setupPath;
}

}  // namespace setup
