#include "driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace e2e {

std::wstring windowText(HWND h) {
    wchar_t buf[1024] = {};
    SendMessageTimeoutW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return buf;
}

std::wstring className(HWND h) {
    wchar_t buf[128] = {};
    GetClassNameW(h, buf, 128);
    return buf;
}

std::vector<HWND> descendants(HWND root) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(root, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back(c);
        auto sub = descendants(c);
        out.insert(out.end(), sub.begin(), sub.end());
    }
    return out;
}

HWND findChild(HWND root, const std::wstring& cls, const std::wstring& text, int nth) {
    for (HWND h : descendants(root))
        if (lstrcmpiW(className(h).c_str(), cls.c_str()) == 0 &&
            (text.empty() || windowText(h) == text) && nth-- == 0)
            return h;
    return nullptr;
}

HWND nextSibling(HWND h) { return h ? GetWindow(h, GW_HWNDNEXT) : nullptr; }

std::vector<std::wstring> listItems(HWND list) {
    std::vector<std::wstring> out;
    int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t buf[512] = {};
        SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

void setListSelection(HWND list, const std::vector<int>& items) {
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int i : items) SendMessageW(list, LB_SETSEL, TRUE, i);
}

bool crashDialogUp(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    bool found = false;
    for (BOOL more = Process32FirstW(snap, &pe); more && !found; more = Process32NextW(snap, &pe))
        found = _wcsicmp(pe.szExeFile, L"winedbg.exe") == 0 && pe.th32ParentProcessID == pid;
    CloseHandle(snap);
    return found;
}

bool responsive(HWND h, std::chrono::milliseconds timeout) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, UINT(timeout.count()), &r) != 0;
}

bool waitFor(const std::function<bool()>& f, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (f()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
}

Program::Program(const std::wstring& exe, const wchar_t* discs, const std::wstring& args) {
    std::vector<wchar_t> env;
    const wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
        if (_wcsnicmp(p, L"ZTP_DISCS=", 10) == 0) continue;
        env.insert(env.end(), p, p + wcslen(p) + 1);
    }
    FreeEnvironmentStringsW(const_cast<wchar_t*>(block));
    if (discs) {
        std::wstring v = std::wstring(L"ZTP_DISCS=") + discs;
        env.insert(env.end(), v.c_str(), v.c_str() + v.size() + 1);
    }
    env.push_back(0);
    env.push_back(0);
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, env.data(), nullptr, &si, &pi_))
        throw std::runtime_error("cannot start the program");
    WaitForInputIdle(pi_.hProcess, 5000);
}

Program::~Program() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        for (HWND h : topWindows(L"", L"")) PostMessageW(h, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi_.hProcess, 3000) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 3000);
        }
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

std::vector<HWND> Program::topWindows(const std::wstring& cls, const std::wstring& caption) const {
    return e2e::topWindows(pi_.dwProcessId, cls, caption);
}

std::vector<HWND> topWindows(DWORD wantPid, const std::wstring& cls, const std::wstring& caption) {
    struct Ctx {
        DWORD pid;
        const std::wstring *cls, *caption;
        std::vector<HWND> out;
    } ctx{wantPid, &cls, &caption, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if ((c->pid && pid != c->pid) || !IsWindowVisible(h)) return TRUE;
            if (!c->cls->empty() && className(h) != *c->cls) return TRUE;
            if (!c->caption->empty() && windowText(h) != *c->caption) return TRUE;
            c->out.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.out;
}

HWND Program::waitTop(const std::wstring& cls, const std::wstring& caption,
                      std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    waitFor(
        [&] {
            auto v = topWindows(cls, caption);
            found = v.empty() ? nullptr : v.front();
            return found != nullptr;
        },
        timeout);
    return found;
}

HWND Program::waitMain(std::chrono::milliseconds timeout) const {
    return waitTop(L"TfrmMain", L"ZTP for win32", timeout);
}

HWND Program::waitDialog(const std::wstring& caption, bool withEdit,
                         std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND h : topWindows(L"#32770", caption))
                if ((findChild(h, L"Edit") != nullptr) == withEdit) {
                    found = h;
                    return true;
                }
            return false;
        },
        timeout);
    return found;
}

bool Program::waitExit(std::chrono::milliseconds timeout, DWORD* code) {
    if (WaitForSingleObject(pi_.hProcess, DWORD(timeout.count())) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(pi_.hProcess, code);
    return true;
}

std::wstring dialogText(HWND dlg) {
    std::wstring out;
    for (HWND h : descendants(dlg)) {
        if (lstrcmpiW(className(h).c_str(), L"Static") != 0) continue;
        std::wstring t = windowText(h);
        if (t.empty()) continue;
        if (!out.empty()) out += L"\n";
        out += t;
    }
    return out;
}

void pressButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void answerPrompt(HWND dlg, const std::wstring& text) {
    HWND edit = findChild(dlg, L"Edit");
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    pressButton(GetDlgItem(dlg, IDOK));
}

HWND focusOf(HWND w) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gi);
    return gi.hwndFocus;
}

void pressKeys(HWND window, std::initializer_list<WORD> chord) {
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    std::vector<INPUT> in;
    auto key = [&](WORD vk, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        if (vk == VK_PRIOR || vk == VK_NEXT) i.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        in.push_back(i);
    };
    for (WORD vk : chord) key(vk, false);
    for (auto it = std::rbegin(chord); it != std::rend(chord); ++it) key(*it, true);
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

void clickTab(DWORD pid, HWND tab, int index) {
    RECT r{};
    HANDLE proc =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) throw std::runtime_error("OpenProcess failed");
    void* remote = VirtualAllocEx(proc, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE);
    SendMessageW(tab, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(proc, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tab, WM_LBUTTONUP, 0, at);
}

int currentTab(HWND tab) { return int(SendMessageW(tab, TCM_GETCURSEL, 0, 0)); }

std::wstring tabCaption(DWORD pid, HWND tab) {
    struct Block {
        TCITEMW item;
        wchar_t text[256];
    };
    return remoteSend<Block>(pid, tab, TCM_GETITEMW, 0,
                             [](Block& b, Block* remote) {
                                 b.item.mask = TCIF_TEXT;
                                 b.item.pszText = remote->text;
                                 b.item.cchTextMax = 256;
                             })
        .text;
}

void writeRect(const std::wstring& file, const RECT& r) {
    char line[64];
    int n =
        snprintf(line, 64, "%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, line, DWORD(n), &written, nullptr);
    CloseHandle(f);
}

void writeRect(const std::wstring& file, HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    writeRect(file, r);
}

}  // namespace e2e
