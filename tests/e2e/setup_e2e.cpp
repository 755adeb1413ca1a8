// End-to-end tests of setup.exe: drive the real wizard from outside, then
// read what it left behind (files, shortcuts, registry, rename entries).
//   setup_e2e.exe <package folder holding setup.exe, ztp.exe, ztp.txt> [flow]
#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver.h"
#include "report.h"

using namespace e2e;

namespace {

const std::wstring kCaption = L"ZTP for win32 Setup";
const std::wstring kUninstallCaption = L"ZTP for win32 Uninstall";
const std::wstring kInsDir = L"C:\\Program Files\\ZTP";
const std::wstring kScratch = L"C:\\ztp-e2e";
const wchar_t* const kUninstallKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZTP";
const wchar_t* const kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t* const kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
std::wstring package;  // the folder the installer copies from

// --- file system and registry

bool exists(const std::wstring& p) {
    return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readAll(const std::wstring& p) {
    std::ifstream f(p.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            std::wstring p = dir + L"\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(p);
            else DeleteFileW(p.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

std::wstring regString(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* type = nullptr) {
    wchar_t buf[2048] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), t = 0;
    HKEY k;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return L"<no key>";
    LONG rc = RegQueryValueExW(k, name, nullptr, &t, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (type) *type = t;
    return rc == ERROR_SUCCESS ? std::wstring(buf) : L"<no value>";
}

bool keyExists(HKEY root, const wchar_t* key) {
    HKEY k;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::vector<std::wstring> valueNames(HKEY root, const wchar_t* key) {
    std::vector<std::wstring> out;
    HKEY k;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD n = 256;
        if (RegEnumValueW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out.push_back(name);
    }
    RegCloseKey(k);
    return out;
}

std::vector<std::wstring> pendingRenames() {
    std::vector<std::wstring> out;
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return out;
    std::vector<wchar_t> buf(65536);
    DWORD size = DWORD(buf.size() * sizeof(wchar_t)), type = 0;
    if (RegQueryValueExW(k, L"PendingFileRenameOperations", nullptr, &type,
                         reinterpret_cast<BYTE*>(buf.data()), &size) == ERROR_SUCCESS) {
        size_t n = size / sizeof(wchar_t);
        for (size_t i = 0; i < n;) {
            std::wstring s(buf.data() + i);
            out.push_back(s);
            i += s.size() + 1;
        }
    }
    RegCloseKey(k);
    return out;
}

std::wstring windowsDir() {
    wchar_t buf[MAX_PATH];
    GetWindowsDirectoryW(buf, MAX_PATH);
    return buf;
}

std::wstring renameFile() {
    std::wstring w = windowsDir();
    return w + (w.back() == L'\\' ? L"" : L"\\") + L"Wininit.ini";
}

// The 8.3 form of a path as the file system reports it, part by part.
std::wstring expectedShortPath(const std::wstring& path) {
    std::wstring out = path.substr(0, 3), at = path.substr(0, 3);
    size_t start = 3;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring name = path.substr(start, end - start);
        at += (at.back() == L'\\' ? L"" : L"\\") + name;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(at.c_str(), &fd);
        std::wstring part = name;
        if (h != INVALID_HANDLE_VALUE) {
            FindClose(h);
            std::wstring alt = fd.cAlternateFileName;
            if (!alt.empty() &&
                (lstrcmpiW(alt.c_str(), name.c_str()) == 0 || alt.find(L'~') != std::wstring::npos))
                part = alt;
        }
        out += (out.back() == L'\\' ? L"" : L"\\") + part;
        start = end + 1;
    }
    return out;
}

std::wstring shellFolder(const wchar_t* place) {
    return regString(HKEY_CURRENT_USER, kShellFolders, place);
}

std::wstring shortcutOf(const wchar_t* place) {
    std::wstring f = shellFolder(place);
    return f + (f.back() == L'\\' ? L"" : L"\\") + L"ZTP for win32.lnk";
}

struct LinkInfo {
    bool ok = false;
    std::wstring target, workDir, description;
};

LinkInfo readLink(const std::wstring& path) {
    LinkInfo info;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t buf[MAX_PATH] = {};
            link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
            info.target = buf;
            buf[0] = 0;
            link->GetWorkingDirectory(buf, MAX_PATH);
            info.workDir = buf;
            buf[0] = 0;
            link->GetDescription(buf, MAX_PATH);
            info.description = buf;
            info.ok = true;
        }
        file->Release();
    }
    link->Release();
    return info;
}

// --- folder rights

// A folder's DACL in SDDL ("" if it cannot be read).
std::wstring daclOf(const std::wstring& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return L"";
    wchar_t* text = nullptr;
    std::wstring out;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(
            sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        out = text;
    if (text) LocalFree(text);
    LocalFree(sd);
    return out;
}

// Leaves no installation behind, whatever an earlier run did.
void cleanState() {
    removeTree(kInsDir);
    removeTree(kScratch);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    for (const wchar_t* place : {L"Startup", L"Desktop", L"Programs"})
        DeleteFileW(shortcutOf(place).c_str());
    DeleteFileW(renameFile().c_str());
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS, &k) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(k, L"PendingFileRenameOperations");
        RegCloseKey(k);
    }
    CreateDirectoryW(kScratch.c_str(), nullptr);
}

bool noShortcuts() {
    for (const wchar_t* place : {L"Startup", L"Desktop", L"Programs"})
        if (exists(shortcutOf(place))) return false;
    return true;
}

// --- the wizard's windows

// The texts of the tool tips of a process.
std::vector<std::wstring> toolTexts(DWORD pid) {
    std::pair<DWORD, HWND> found{pid, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<std::pair<DWORD, HWND>*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == f->first && className(h) == L"tooltips_class32") f->second = h;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    struct Block {
        TTTOOLINFOW info;
        wchar_t text[256];
    };
    std::vector<std::wstring> out;
    int n = found.second ? int(SendMessageW(found.second, TTM_GETTOOLCOUNT, 0, 0)) : 0;
    for (int i = 0; i < n; ++i)
        out.push_back(remoteSend<Block>(pid, found.second, TTM_ENUMTOOLSW, WPARAM(i),
                                        [](Block& b, Block* remote) {
                                            b.info.cbSize = sizeof b.info;
                                            b.info.lpszText = remote->text;
                                        })
                          .text);
    return out;
}

struct Wizard {
    Program& p;
    HWND h;
    HWND tabs() const { return findChild(h, L"SysTabControl32"); }
    std::wstring page() const { return tabCaption(p.pid(), tabs()); }
    HWND button(const std::wstring& caption) const { return findChild(h, L"Button", caption); }
    HWND back() const { return button(L"< 戻る (&B)"); }
    HWND next() const { return button(L"次へ (&N) >"); }
    HWND cancel() const {
        HWND b = button(L"キャンセル");
        return b ? b : button(L"完了");
    }
    HWND lblInsDir() const {
        return findChild(findChild(h, L"FwGroupBox", L"インストール先"), L"Static");
    }
    HWND dirList() const {
        return findChild(findChild(h, L"FwGroupBox", L"インストール先"), L"ListBox");
    }
    HWND drvList() const { return findChild(h, L"ComboBox"); }
    HWND lstCopyFile() const { return findChild(h, L"ListBox", L"", 1); }
    bool checked(const std::wstring& caption) const {
        return SendMessageW(button(caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void setCheck(const std::wstring& caption, bool on) {
        HWND b = button(caption);
        if (checked(caption) != on) SendMessageW(b, BM_CLICK, 0, 0);
    }
    bool waitPage(const std::wstring& caption) const {
        return waitFor([&] { return page() == caption; }, 10s);
    }
    // Chooses a drive in the drive box as the user would.
    void chooseDrive(wchar_t letter) {
        HWND drv = drvList();
        std::wstring before = windowText(lblInsDir());
        for (int i = 0; i < int(SendMessageW(drv, CB_GETCOUNT, 0, 0)); ++i) {
            wchar_t t[64] = {};
            SendMessageW(drv, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(t));
            if (t[0] == letter) SendMessageW(drv, CB_SETCURSEL, i, 0);
        }
        PostMessageW(GetParent(drv), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drv), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(drv));
        waitFor([&] { return windowText(lblInsDir()) != before; }, 3s);
    }
    // Opens the folder on the dir list's line that ends with name.
    bool openFolder(const std::wstring& name) {
        HWND list = dirList();
        auto items = listItems(list);
        for (size_t i = 0; i < items.size(); ++i) {
            const std::wstring& t = items[i];
            if (t.size() >= name.size() + 1 &&
                t.compare(t.size() - name.size(), name.size(), name) == 0 &&
                t[t.size() - name.size() - 1] == L' ') {
                std::wstring before = windowText(lblInsDir());
                SendMessageW(list, LB_SETCURSEL, i, 0);
                PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
                PostMessageW(list, WM_KEYUP, VK_RETURN, 0);
                waitFor([&] { return windowText(lblInsDir()) != before; }, 3s);
                return true;
            }
        }
        return false;
    }
};

HWND waitBox(Program& p, const std::wstring& caption) { return p.waitDialog(caption, false, 15s); }

void answer(HWND box, int id) { pressButton(GetDlgItem(box, id)); }

// Answers a box and waits for the next one of that caption (not the same
// box on its way out).
HWND answerThenNext(Program& p, HWND box, int id, const std::wstring& caption) {
    answer(box, id);
    waitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10s);
    return waitBox(p, caption);
}

Wizard startWizard(Program& p) {
    HWND w = need(p.waitTop(L"TQV_Inst1", kCaption, 20s), L"wizard");
    return Wizard{p, w};
}

bool isBlue(COLORREF c, int blue) {
    return GetRValue(c) == 0 && GetGValue(c) == 0 && GetBValue(c) == blue;
}

// The version resource and the icon of setup.exe.
void checkVersion(const std::wstring& exe) {
    DWORD handle = 0, size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
    std::vector<BYTE> data(size ? size : 1);
    bool ok = size && GetFileVersionInfoW(exe.c_str(), 0, size, data.data());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ok = ok && VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len);
    check(ok && fixed->dwFileVersionMS == 0x10000 && fixed->dwFileVersionLS == 1 &&
              fixed->dwProductVersionMS == 0x10000 && fixed->dwProductVersionLS == 1,
          L"file and product version 1.0.0.1");
    auto str = [&](const wchar_t* name) -> std::wstring {
        wchar_t* v = nullptr;
        UINT n = 0;
        std::wstring q = std::wstring(L"\\StringFileInfo\\041104E4\\") + name;
        if (!ok || !VerQueryValueW(data.data(), q.c_str(), reinterpret_cast<void**>(&v), &n) || !v)
            return L"<none>";
        return v;
    };
    std::vector<std::wstring> got;
    for (const wchar_t* n : {L"FileDescription", L"InternalName", L"OriginalFilename",
                             L"ProductName", L"FileVersion", L"ProductVersion"})
        got.push_back(str(n));
    checkEq(got, {L"SETUP", L"SETUP", L"setup.exe", L"ZTP for win32 Setup", L"1.0.0.1", L"1.0.0.1"},
            L"version strings in block 041104E4");
    DWORD* translation = nullptr;
    check(ok &&
              VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &len) &&
              len >= 4 && LOWORD(*translation) == 0x0411 && HIWORD(*translation) == 0x04E4,
          L"translation 0411 04E4");
    HMODULE m = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HICON icon =
        m ? static_cast<HICON>(LoadImageW(m, L"MAINICON", IMAGE_ICON, 32, 32, 0)) : nullptr;
    check(icon != nullptr, L"icon MAINICON");
    if (icon) DestroyIcon(icon);
    if (m) FreeLibrary(m);
}

// --- processes

struct Proc {
    DWORD pid = 0, parent = 0;
    std::wstring exe;
};

std::vector<Proc> processes() {
    std::vector<Proc> out;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return out;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe))
        out.push_back({pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile});
    CloseHandle(snap);
    return out;
}

std::wstring exeOf(DWORD pid) {
    for (const Proc& p : processes())
        if (p.pid == pid) return p.exe;
    return L"";
}

// A process of this exe name that is not among those seen before.
Proc waitNewProcess(const std::wstring& exe, const std::vector<Proc>& before) {
    Proc found;
    waitFor(
        [&] {
            for (const Proc& p : processes()) {
                bool old = false;
                for (const Proc& b : before) old = old || b.pid == p.pid;
                if (!old && lstrcmpiW(p.exe.c_str(), exe.c_str()) == 0) found = p;
            }
            return found.pid != 0;
        },
        15s);
    return found;
}

// --- flows

// The title backdrop, every page, the install, a second install with other
// options, and the uninstall started as the uninstall entry starts it.
void installFlow() {
    cleanState();
    {
        Program p(package + L"\\setup.exe", nullptr);
        HWND title = need(p.waitTop(L"TQV_Inst", L"", 20s), L"title form");
        Wizard w = startWizard(p);
        checkEq(windowText(title), kCaption, L"title form caption");
        RECT r;
        GetWindowRect(title, &r);
        int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        check(r.left == 0 && r.top == 0 && r.right == sw && r.bottom == sh,
              L"title form covers the screen");
        LONG style = GetWindowLongW(title, GWL_STYLE);
        check(!(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)), L"title form has no border");

        // The gradient, read back from the screen along the left edge (left of
        // the product line) and the right edge above the author line.
        Sleep(500);
        HDC screen = GetDC(nullptr);
        int band = sw / 256 > 0 ? sw / 256 : 1, bad = -1;
        for (int y = 0; y < sh && bad < 0; ++y)
            if (!isBlue(GetPixel(screen, 4, y), std::max(0, 255 - y / band))) bad = y;
        for (int y = 0; y < sh - 80 && bad < 0; ++y)
            if (!isBlue(GetPixel(screen, sw - 3, y), std::max(0, 255 - y / band))) bad = y;
        COLORREF at = bad < 0 ? 0 : GetPixel(screen, 4, bad);
        check(bad < 0, L"gradient rows blue 255 - row / " + std::to_wstring(band),
              L"row " + std::to_wstring(bad) + L" is " + std::to_wstring(GetBValue(at)));
        check(isBlue(GetPixel(screen, 4, sh - 1), std::max(0, 255 - (sh - 1) / band)),
              L"last band's blue");
        int yellow = 0, shadow = 0;
        for (int y = 40; y < 90; ++y)
            for (int x = 32; x < 420; x += 2) {
                COLORREF c = GetPixel(screen, x, y);
                if (c == RGB(255, 255, 0)) ++yellow;
                if (c == RGB(0, 0, 0)) ++shadow;
            }
        check(yellow > 200 && shadow > 50, L"yellow product line with its black shadow");
        yellow = 0;
        for (int y = sh - 80; y < sh - 20; ++y)
            for (int x = sw - 400; x < sw - 20; x += 2)
                if (GetPixel(screen, x, y) == RGB(255, 255, 0)) ++yellow;
        check(yellow > 50, L"author line at the bottom right");
        ReleaseDC(nullptr, screen);

        // The wizard's frame.
        RECT c;
        GetClientRect(w.h, &c);
        check(c.right == 516 && c.bottom == 346, L"wizard client area 516 x 346");
        GetWindowRect(w.h, &r);
        check(std::abs((r.left + r.right) / 2 - sw / 2) <= 1 &&
                  std::abs((r.top + r.bottom) / 2 - sh / 2) <= 1,
              L"wizard centred");
        style = GetWindowLongW(w.h, GWL_STYLE);
        check((style & WS_CAPTION) == WS_CAPTION && !(style & (WS_SYSMENU | WS_THICKFRAME)),
              L"wizard: caption, no border icons");
        PostMessageW(w.h, WM_CLOSE, 0, 0);
        PostMessageW(title, WM_CLOSE, 0, 0);
        Sleep(300);
        check(IsWindow(w.h) && IsWindow(title), L"WM_CLOSE leaves both windows open");
        SetForegroundWindow(title);
        HWND img = findChild(title, L"FwImage");
        PostMessageW(img, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        PostMessageW(img, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        check(waitFor([&] { return GetForegroundWindow() == w.h; }, 3s),
              L"a click on the backdrop brings the wizard to the front");

        // tab00
        checkEq(w.page(), L"はじめに (1/4)", L"first page");
        check(SendMessageW(w.tabs(), TCM_GETITEMCOUNT, 0, 0) == 1, L"only the current page's tab");
        check(!IsWindowEnabled(w.back()) && IsWindowEnabled(w.next()),
              L"tab00: Back disabled, Next enabled");
        HWND memo = findChild(w.h, L"Edit");
        LONG ms = GetWindowLongW(memo, GWL_STYLE);
        check((ms & ES_READONLY) && (ms & WS_VSCROLL) &&
                  windowText(memo).find(L"インデックスカード") != std::wstring::npos,
              L"read-only description with a scroll bar");
        // Enter presses Next.
        SetForegroundWindow(w.h);
        PostMessageW(memo, WM_KEYDOWN, VK_RETURN, 0);
        check(w.waitPage(L"インストール先の指定 (2/4)"), L"Enter goes to the folder page",
              w.page());

        // tab10: the default folder, a drive root, a folder named ztp, back.
        checkEq(windowText(w.lblInsDir()), kInsDir, L"default install folder");
        check(IsWindowEnabled(w.back()) != FALSE, L"tab10: Back enabled");
        CreateDirectoryW((kScratch + L"\\Ztp").c_str(), nullptr);
        check(w.openFolder(L"C:\\"), L"drive root listed");
        checkEq(windowText(w.lblInsDir()), L"C:\\ZTP", L"a drive root gives C:\\ZTP");
        w.openFolder(L"ztp-e2e");
        checkEq(windowText(w.lblInsDir()), L"C:\\ztp-e2e\\ZTP", L"a folder gets ZTP appended");
        w.openFolder(L"Ztp");
        checkEq(windowText(w.lblInsDir()), L"C:\\ztp-e2e\\Ztp",
                L"a folder named Ztp is used itself");
        w.chooseDrive(L'Z');
        checkEq(windowText(w.lblInsDir()), L"Z:\\ZTP", L"the drive box moves the list to Z:\\");
        w.chooseDrive(L'C');
        w.openFolder(L"Program Files");
        checkEq(windowText(w.lblInsDir()), kInsDir, L"back at C:\\Program Files\\ZTP");

        // Alt+B and Alt+N are Back and Next.
        auto altKey = [&](wchar_t key) {
            PostMessageW(w.dirList(), WM_SYSKEYDOWN, key, LPARAM(1) << 29);
            PostMessageW(w.dirList(), WM_SYSKEYUP, key, LPARAM(1) << 29);
        };
        altKey(L'B');
        check(w.waitPage(L"はじめに (1/4)"), L"Alt+B: Back from tab10 to tab00");
        altKey(L'B');
        altKey(L'N');
        check(w.waitPage(L"インストール先の指定 (2/4)"), L"Alt+B ignored on tab00, Alt+N: Next");
        pressButton(w.next());
        check(w.waitPage(L"セットアップオプションの選択 (3/4)"), L"options page");
        check(!w.checked(L"スタートアップに登録") &&
                  !w.checked(L"デスクトップにショートカットを作成") &&
                  w.checked(L"スタートメニューにプログラムグループを登録"),
              L"options start as Startup off, Desktop off, Start menu on");
        checkEq(toolTexts(p.pid()),
                {L"Windows 起動時にプログラムを実行する場合にチェックします",
                 L"デスクトップにショートカットを作成する場合にチェックします",
                 L"スタートメニューにショートカットを作成する場合にチェックします"},
                L"the options' tool tips");
        w.setCheck(L"スタートアップに登録", true);
        w.setCheck(L"デスクトップにショートカットを作成", true);
        pressButton(w.back());
        w.waitPage(L"インストール先の指定 (2/4)");
        pressButton(w.next());
        w.waitPage(L"セットアップオプションの選択 (3/4)");
        check(
            w.checked(L"スタートアップに登録") && w.checked(L"デスクトップにショートカットを作成"),
            L"options keep their state across pages");
        pressButton(w.next());
        check(w.waitPage(L"セットアップ中... (4/4)"), L"install page");
        checkEq(listItems(w.lstCopyFile()),
                {kInsDir + L"\\ztp.exe", kInsDir + L"\\ztp.txt", kInsDir + L"\\setup.exe"},
                L"lstCopyFile lists the destinations");
        check(SendMessageW(w.lstCopyFile(), LB_GETCURSEL, 0, 0) == 0, L"first line selected");
        check(!exists(kInsDir), L"nothing written before the install step");
        pressButton(w.next());
        check(w.waitPage(L"セットアップ完了"), L"finish page after the install", w.page());
        check(SendMessageW(w.lstCopyFile(), LB_GETCURSEL, 0, 0) == 2,
              L"last line selected after copying");
        check(!IsWindowVisible(w.back()) && !IsWindowVisible(w.next()) &&
                  !IsWindowEnabled(w.back()) && !IsWindowEnabled(w.next()),
              L"finish page: Back and Next hidden and disabled");
        checkEq(windowText(w.cancel()), L"完了", L"third button reads 完了");
        check(w.checked(L"早速 ZTP を使ってみる") && w.checked(L"使用説明書を読む"),
              L"finish options start checked");

        for (const wchar_t* f : {L"ztp.exe", L"ztp.txt", L"setup.exe"})
            check(readAll(kInsDir + L"\\" + f) == readAll(package + L"\\" + f) &&
                      !readAll(kInsDir + L"\\" + f).empty(),
                  std::wstring(L"installed ") + f + L" equals the package's");
        DWORD type = 0;
        checkEq(regString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", &type),
                L"ZTP for win32", L"DisplayName");
        check(type == REG_SZ, L"DisplayName is REG_SZ");
        checkEq(regString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", &type),
                L"\"" + kInsDir + L"\\setup.exe\" -R", L"UninstallString");
        check(type == REG_SZ, L"UninstallString is REG_SZ");
        check(valueNames(HKEY_LOCAL_MACHINE, kUninstallKey).size() == 2, L"exactly two values");
        for (const wchar_t* place : {L"Startup", L"Desktop", L"Programs"}) {
            LinkInfo l = readLink(shortcutOf(place));
            check(l.ok && lstrcmpiW(l.target.c_str(), (kInsDir + L"\\ztp.exe").c_str()) == 0 &&
                      l.workDir == kInsDir && l.description == L"ZTP for win32",
                  std::wstring(L"shortcut in ") + place,
                  shortcutOf(place) + L" -> " + l.target + L" in " + l.workDir + L" (" +
                      l.description + L")");
        }
        checkVersion(kInsDir + L"\\setup.exe");
        // The folder the installer made has rights of its own. Where the
        // file system keeps ACLs: protected, Administrators and SYSTEM full
        // control, Users read and execute, all inherited. Wine keeps Unix
        // modes only and shows them as owner and Everyone entries: there,
        // at least, Everyone gets nothing.
        std::wstring made = daclOf(kInsDir);
        if (made.rfind(L"D:P", 0) == 0)
            check(std::count(made.begin(), made.end(), L'(') == 3 &&
                      made.find(L"(A;OICI;FA;;;BA)") != std::wstring::npos &&
                      made.find(L"(A;OICI;FA;;;SY)") != std::wstring::npos &&
                      made.find(L"(A;OICI;0x1200a9;;;BU)") != std::wstring::npos,
                  L"created folder: Administrators, SYSTEM full; Users read and execute", made);
        else
            check(!made.empty() && made.find(L";;;WD)") == std::wstring::npos,
                  L"created folder: no rights for Everyone (Wine: modes only)", made);
        w.setCheck(L"早速 ZTP を使ってみる", false);
        w.setCheck(L"使用説明書を読む", false);
        pressButton(w.cancel());
        DWORD code = 1;
        check(p.waitExit(10s, &code) && code == 0, L"Finish ends the setup");
        Sleep(300);
        check(FindWindowW(L"TfrmMain", nullptr) == nullptr,
              L"unchecked: the program is not started");
    }

    // Again, with the Desktop shortcut only, started from the install folder
    // itself: each file is its own source.
    {
        Program p(kInsDir + L"\\setup.exe", nullptr);
        Wizard w = startWizard(p);
        pressButton(w.next());
        w.waitPage(L"インストール先の指定 (2/4)");
        pressButton(w.next());
        w.waitPage(L"セットアップオプションの選択 (3/4)");
        w.setCheck(L"スタートメニューにプログラムグループを登録", false);
        w.setCheck(L"デスクトップにショートカットを作成", true);
        pressButton(w.next());
        w.waitPage(L"セットアップ中... (4/4)");
        pressButton(w.next());
        check(w.waitPage(L"セットアップ完了"), L"reinstall from the install folder completes");
        for (const wchar_t* f : {L"ztp.exe", L"ztp.txt", L"setup.exe"})
            check(readAll(kInsDir + L"\\" + f) == readAll(package + L"\\" + f),
                  std::wstring(L"copied onto itself, ") + f + L" is intact");
        check(!exists(shortcutOf(L"Startup")) && !exists(shortcutOf(L"Programs")) &&
                  readLink(shortcutOf(L"Desktop")).ok,
              L"reinstall: only the newly chosen shortcut remains");
        check(valueNames(HKEY_LOCAL_MACHINE, kUninstallKey).size() == 2,
              L"reinstall: one entry, two values");
        // Once Cancel reads 完了, Escape no longer presses it; Alt+N finds Next hidden.
        PostMessageW(w.cancel(), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(w.cancel(), WM_SYSKEYDOWN, L'N', LPARAM(1) << 29);
        PostMessageW(w.cancel(), WM_SYSKEYUP, L'N', LPARAM(1) << 29);
        Sleep(500);
        check(IsWindow(w.h) && p.topWindows(L"#32770", L"").empty() &&
                  w.page() == L"セットアップ完了",
              L"finish page: Escape and Alt+N do nothing");
        auto style = [](HWND b) { return GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK; };
        check(style(w.cancel()) == BS_DEFPUSHBUTTON && style(w.next()) == BS_PUSHBUTTON,
              L"finish page: 完了 is the default button");

        // Enter on a check box (clicked twice: focused, still checked)
        // presses 完了. The program is started by the desktop's shell, as
        // the user signed in, not under the installer (the manual goes the
        // same way; this prefix has no program for .txt files).
        HWND run = w.button(L"早速 ZTP を使ってみる");
        SendMessageW(run, BM_CLICK, 0, 0);
        SendMessageW(run, BM_CLICK, 0, 0);
        check(w.checked(L"早速 ZTP を使ってみる") && w.checked(L"使用説明書を読む") &&
                  focusOf(w.h) == run,
              L"finish page: both options checked, the focus on one");
        const std::vector<Proc> before = processes();
        PostMessageW(run, WM_KEYDOWN, VK_RETURN, 0);
        DWORD code = 1;
        check(p.waitExit(10s, &code) && code == 0,
              L"finish page: Enter on a check box presses 完了");
        Proc ztp = waitNewProcess(L"ztp.exe", before);
        check(ztp.pid && exeOf(ztp.parent) == L"explorer.exe",
              L"finish: ztp.exe started by the desktop's shell", L"parent " + exeOf(ztp.parent));
        // It has no CD device here: its fatal box shows that it runs.
        HWND fatal = nullptr;
        if (ztp.pid)
            waitFor(
                [&] {
                    auto v = topWindows(ztp.pid, L"#32770", L"");
                    fatal = v.empty() ? nullptr : v[0];
                    return fatal != nullptr;
                },
                15s);
        check(fatal != nullptr, L"finish: the program came up");
        if (fatal) pressButton(findChild(fatal, L"Button"));
        waitFor([&] { return exeOf(ztp.pid).empty(); }, 10s);
    }

    // Uninstall, started as the entry starts it (lower-case switch).
    {
        Program p(kInsDir + L"\\setup.exe", nullptr, L"-r");
        HWND q = need(waitBox(p, kUninstallCaption), L"uninstall question");
        checkEq(dialogText(q),
                L"ZTP for win32 ver1.0.0.1 のアンインストールを行いますがよろしいですか",
                L"uninstall question");
        check(GetDlgItem(q, IDYES) && GetDlgItem(q, IDNO), L"question has Yes and No");
        check(p.topWindows(L"TQV_Inst", L"").empty(), L"no window of its own in uninstall mode");
        HWND done = need(answerThenNext(p, q, IDYES, kUninstallCaption), L"completion message");
        waitFor([&] { return dialogText(done).find(L"完了") != std::wstring::npos; }, 5s);
        std::wstring self = kInsDir + L"\\setup.exe";
        checkEq(dialogText(done),
                L"アンインストールは完了しました。\r\n以下のファイルは Windows "
                L"再起動後に削除されます\r\n\r\n" +
                    self,
                L"completion message with the long path");
        check(noShortcuts(), L"uninstall: no shortcut left");
        check(!keyExists(HKEY_LOCAL_MACHINE, kUninstallKey), L"uninstall: entry gone");
        check(!exists(kInsDir + L"\\ztp.exe") && !exists(kInsDir + L"\\ztp.txt") && exists(self),
              L"uninstall: ztp.exe and ztp.txt gone, setup.exe stays");
        wchar_t value[MAX_PATH] = {};
        GetPrivateProfileStringW(L"Rename", L"NUL", L"", value, MAX_PATH, renameFile().c_str());
        checkEq(value, expectedShortPath(self), L"Wininit.ini [Rename] NUL = 8.3 path");
        auto pend = pendingRenames();
        bool recorded = false;
        for (size_t i = 0; i + 1 < pend.size(); ++i) {
            const std::wstring& s = pend[i];
            if (s.size() >= self.size() &&
                lstrcmpiW(s.c_str() + s.size() - self.size(), self.c_str()) == 0 &&
                pend[i + 1].empty())
                recorded = true;
        }
        check(recorded, L"deletion recorded in PendingFileRenameOperations");
        answer(done, IDOK);
        check(p.waitExit(10s), L"uninstall ends");
    }
}

// The refusals: the main program running, Cancel, and an unknown switch.
void refusalFlow() {
    cleanState();
    // A stand-in for the main program's window.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TfrmMain";
    RegisterClassW(&wc);
    HWND fake = CreateWindowW(L"TfrmMain", L"ZTP for win32", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, wc.hInstance, nullptr);
    {
        Program p(package + L"\\setup.exe", nullptr);
        Wizard w = startWizard(p);
        pressButton(w.next());
        HWND box = need(waitBox(p, kCaption), L"running-program message");
        checkEq(dialogText(box), L"ZTP for win32 を終了して下さい",
                L"Next while ZTP runs: message");
        answer(box, IDOK);
        waitFor([&] { return p.topWindows(L"#32770", L"").empty(); }, 5s);
        checkEq(w.page(), L"はじめに (1/4)", L"stays on the first page");
        SetWindowTextW(fake, L"ZTP");
        pressButton(w.next());
        check(w.waitPage(L"インストール先の指定 (2/4)"),
              L"a TfrmMain with another title does not stop it");
        SetWindowTextW(fake, L"ZTP for win32");

        PostMessageW(w.next(), WM_KEYDOWN, VK_ESCAPE, 0);  // Escape is Cancel
        box = need(waitBox(p, kCaption), L"cancel question");
        checkEq(dialogText(box),
                L"ZTP for win32 ver1.0.0.1 のセットアップを中止しますがよろしいですか",
                L"Escape: the cancel question");
        answer(box, IDNO);
        Sleep(500);
        check(IsWindow(w.h) && w.page() == L"インストール先の指定 (2/4)", L"No changes nothing");
        pressButton(w.cancel());
        box = need(waitBox(p, kCaption), L"cancel question again");
        answer(box, IDYES);
        DWORD code = 1;
        check(p.waitExit(10s, &code) && code == 0, L"Yes ends the setup");
        check(!exists(kInsDir) && !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && noShortcuts(),
              L"cancel wrote nothing");
    }

    // Uninstall from another folder: an unknown switch, No, and ZTP running.
    std::wstring other = kScratch + L"\\other";
    CreateDirectoryW(other.c_str(), nullptr);
    CopyFileW((package + L"\\setup.exe").c_str(), (other + L"\\setup.exe").c_str(), FALSE);
    CopyFileW((package + L"\\ztp.txt").c_str(), (other + L"\\ztp.exe").c_str(), FALSE);
    CopyFileW((package + L"\\ztp.txt").c_str(), (other + L"\\ztp.txt").c_str(), FALSE);
    HKEY k;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                    nullptr);
    RegSetValueExW(k, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"ZTP for win32"),
                   28);
    RegCloseKey(k);
    auto unchanged = [&] {
        return exists(other + L"\\ztp.exe") && exists(other + L"\\ztp.txt") &&
               keyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && !exists(renameFile());
    };
    {
        Program p(other + L"\\setup.exe", nullptr, L"x");
        DWORD code = 1;
        check(p.waitExit(10s, &code) && code == 0, L"setup.exe x ends at once");
        check(unchanged(), L"setup.exe x changes nothing");
    }
    {
        Program p(other + L"\\setup.exe", nullptr, L"/R second");
        answer(need(waitBox(p, kUninstallCaption), L"question"), IDNO);
        check(p.waitExit(10s), L"No ends the uninstall");
        check(unchanged(), L"No changes nothing");
    }
    {
        Program p(other + L"\\setup.exe", nullptr, L"/r");
        HWND q = need(waitBox(p, kUninstallCaption), L"question");
        answer(q, IDYES);
        waitFor([&] { return !IsWindow(q); }, 5s);
        HWND box = need(waitBox(p, kUninstallCaption), L"running message");
        checkEq(dialogText(box), L"ZTP for win32 を終了して下さい",
                L"uninstall while ZTP runs: message");
        answer(box, IDOK);
        check(p.waitExit(10s), L"uninstall ends");
        check(unchanged(), L"uninstall while ZTP runs changes nothing");
    }
    DestroyWindow(fake);
    {
        Program p(other + L"\\setup.exe", nullptr, L"/R");
        HWND done = need(answerThenNext(p, need(waitBox(p, kUninstallCaption), L"question"), IDYES,
                                        kUninstallCaption),
                         L"completion");
        waitFor([&] { return dialogText(done).find(L"完了") != std::wstring::npos; }, 5s);
        check(dialogText(done).find(other + L"\\setup.exe") != std::wstring::npos,
              L"/R from another folder names that folder's setup.exe");
        answer(done, IDOK);
        p.waitExit(10s);
        check(!exists(other + L"\\ztp.exe") && !exists(other + L"\\ztp.txt") &&
                  !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey),
              L"/R works on its own folder");
    }
}

// A copy that fails (a folder stands where ztp.txt should go), and a Shell
// Folders value that is not a string.
void failureFlow() {
    cleanState();
    std::wstring target = kScratch + L"\\Ztp";
    CreateDirectoryW(target.c_str(), nullptr);
    const std::wstring existing = daclOf(target);
    CreateDirectoryW((target + L"\\ztp.txt").c_str(), nullptr);
    auto toInstallPage = [&](Wizard& w) {
        pressButton(w.next());
        w.waitPage(L"インストール先の指定 (2/4)");
        w.openFolder(L"C:\\");
        w.openFolder(L"ztp-e2e");
        w.openFolder(L"Ztp");
        checkEq(windowText(w.lblInsDir()), target, L"install folder " + target);
        pressButton(w.next());
        w.waitPage(L"セットアップオプションの選択 (3/4)");
        w.setCheck(L"スタートアップに登録", true);
        w.setCheck(L"デスクトップにショートカットを作成", true);
        pressButton(w.next());
        w.waitPage(L"セットアップ中... (4/4)");
    };
    {
        Program p(package + L"\\setup.exe", nullptr);
        Wizard w = startWizard(p);
        toInstallPage(w);
        pressButton(w.next());
        HWND box = need(waitBox(p, kCaption), L"failure message");
        checkEq(dialogText(box), L"ZTP for win32 ver1.0.0.1 のセットアップは失敗しました",
                L"failed copy: message");
        check(SendMessageW(w.lstCopyFile(), LB_GETCURSEL, 0, 0) == 1,
              L"the failing line is selected");
        answer(box, IDOK);
        DWORD code = 1;
        check(p.waitExit(10s, &code), L"failed copy ends the setup");
        check(exists(target + L"\\ztp.exe") && !exists(target + L"\\setup.exe"),
              L"the copy before stays, none after");
        check(noShortcuts() && !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey),
              L"failed copy: no shortcut, no uninstall entry");
    }

    // Startup as a number: the error box, and the wizard stays on tab30.
    // (Startup is read first, before the shell may rewrite the key.)
    RemoveDirectoryW((target + L"\\ztp.txt").c_str());
    std::wstring startup = shellFolder(L"Startup");
    HKEY k;
    RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &k);
    DWORD number = 7;
    RegSetValueExW(k, L"Startup", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    {
        Program p(package + L"\\setup.exe", nullptr);
        Wizard w = startWizard(p);
        toInstallPage(w);
        pressButton(w.next());
        HWND box = need(waitBox(p, kCaption), L"registry error box");
        checkEq(dialogText(box), L"'Startup' のﾃﾞｰﾀ型が不正です.",
                L"non-string Shell Folders value: error box");
        answer(box, IDOK);
        Sleep(500);
        checkEq(w.page(), L"セットアップ中... (4/4)", L"the wizard stays on the install page");
        check(exists(target + L"\\setup.exe") && !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey),
              L"files copied, the rest of the step skipped");
        pressButton(w.cancel());
        answer(need(waitBox(p, kCaption), L"cancel question"), IDYES);
        p.waitExit(10s);
    }

    // Startup empty: that place is skipped, the others are served.
    RegSetValueExW(k, L"Startup", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    {
        Program p(package + L"\\setup.exe", nullptr);
        Wizard w = startWizard(p);
        toInstallPage(w);
        pressButton(w.next());
        check(w.waitPage(L"セットアップ完了"), L"empty Startup value: the install completes");
        check(!exists(L"\\ZTP for win32.lnk") && !exists(L"C:\\ZTP for win32.lnk") &&
                  readLink(shortcutOf(L"Desktop")).ok &&
                  keyExists(HKEY_LOCAL_MACHINE, kUninstallKey),
              L"empty Startup value: no shortcut at a root, the Desktop one made");
        std::wstring after = daclOf(target);
        check(!existing.empty() && after == existing,
              L"an existing install folder keeps its rights", existing + L" -> " + after);
        w.setCheck(L"早速 ZTP を使ってみる", false);
        w.setCheck(L"使用説明書を読む", false);
        pressButton(w.cancel());
        p.waitExit(10s);
    }
    RegSetValueExW(k, L"Startup", 0, REG_SZ, reinterpret_cast<const BYTE*>(startup.c_str()),
                   DWORD((startup.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    cleanState();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        out(L"usage: setup_e2e PACKAGE_DIR [flow]");
        return 2;
    }
    CoInitialize(nullptr);
    package = argv[1];
    std::wstring only = argc > 2 ? argv[2] : L"";
    struct Flow {
        const wchar_t* name;
        void (*fn)();
    } flows[] = {{L"install", installFlow}, {L"refusals", refusalFlow}, {L"failures", failureFlow}};
    for (auto& f : flows)
        if (only.empty() || only == f.name) runFlow(f.name, f.fn);
    int rc = summary();
    CoUninitialize();
    return rc;
}
