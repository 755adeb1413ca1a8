// End-to-end tests: start the real ztp.exe with a virtual CD changer, drive
// its window and dialogs from outside, and read back what it shows.
//   ztp_e2e.exe <path of ztp.exe> <scratch folder>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver.h"

using namespace e2e;

namespace {

int passed = 0, failed = 0;

void out(const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string u(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), u.data(), n, nullptr, nullptr);
    u += "\n";
    DWORD w = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), u.data(), DWORD(u.size()), &w, nullptr);
}

std::wstring join(const std::vector<std::wstring>& v) {
    std::wstring s = L"[";
    for (size_t i = 0; i < v.size(); ++i) s += (i ? L" | " : L"") + v[i];
    return s + L"]";
}

void check(bool ok, const std::wstring& what, const std::wstring& detail = L"") {
    if (ok) {
        ++passed;
        out(L"ok     " + what);
    } else {
        ++failed;
        out(L"FAIL   " + what + (detail.empty() ? L"" : L": " + detail));
    }
}

template <class T>
void checkEq(const T& got, const T& want, const std::wstring& what);

template <>
void checkEq(const std::wstring& got, const std::wstring& want, const std::wstring& what) {
    check(got == want, what, L"got \"" + got + L"\", want \"" + want + L"\"");
}

template <>
void checkEq(const std::vector<std::wstring>& got, const std::vector<std::wstring>& want,
             const std::wstring& what) {
    check(got == want, what, L"got " + join(got) + L", want " + join(want));
}

// Stops a flow whose next steps cannot run.
HWND need(HWND h, const std::wstring& what) {
    if (!h) throw std::runtime_error(std::string("missing window"));
    (void)what;
    return h;
}

std::wstring exePath, scratch;

std::wstring writeDisc(const std::wstring& name, const std::string& text) {
    std::wstring path = scratch + L"\\" + name;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a disc file");
    DWORD n = 0;
    WriteFile(f, text.data(), DWORD(text.size()), &n, nullptr);
    CloseHandle(f);
    return path;
}

// The main window's controls, found by class, caption and creation order.
struct MainWindow {
    HWND h;
    HWND button(const std::wstring& caption) const { return findChild(h, L"Button", caption); }
    HWND tabs() const { return findChild(h, L"SysTabControl32"); }
    HWND lstTrackSelect() const { return findChild(h, L"ListBox", L"", 0); }
    HWND lstA() const { return findChild(h, L"ListBox", L"", 1); }
    HWND lstB() const { return findChild(h, L"ListBox", L"", 2); }
    // pnlHead0, pnlSelectKei, pnlHead1, pnlHead2, pnlAKei, pnlBKei, pnlFin
    std::wstring panel(int n) const { return windowText(findChild(h, L"FwPanel", L"", n)); }
    std::wstring pnlSelectKei() const { return panel(1); }
    std::wstring lblTotalTracks() const { return windowText(nextSibling(findChild(h, L"Static", L"総トラック数 :"))); }
    std::wstring lblTotalTime() const { return windowText(nextSibling(findChild(h, L"Static", L"総時間 :"))); }
    HWND player(const std::wstring& name) const { return findChild(h, L"FwSpeedButton", name); }
    HWND edtTapeTime() const { return findChild(h, L"Edit"); }
};

void run(const std::wstring& name, const std::function<void()>& flow) {
    out(L"-- " + name);
    try {
        flow();
    } catch (const std::exception& e) {
        check(false, name + L" (flow stopped)", std::wstring(e.what(), e.what() + strlen(e.what())));
    }
}

// Start-up with a disc, then eject and add, delete and the show button.
void collectTracks() {
    std::wstring disc = writeDisc(L"collect.disc",
                                  "disc Alpha\n4:05 3:58 5:30\n"
                                  "disc Beta\n6:12 4:44\n"
                                  "disc Gamma\n1:00 2:00 3:00 4:00:74\n");
    Program p(exePath, disc.c_str());
    HWND prompt = need(p.waitDialog(L"ZTP", true), L"title prompt");
    HWND edit = findChild(prompt, L"Edit");
    DWORD sel = DWORD(SendMessageW(edit, EM_GETSEL, 0, 0));
    checkEq(windowText(edit), std::wstring(L"不明"), L"title prompt holds the default");
    check(LOWORD(sel) == 0 && HIWORD(sel) == 2, L"default title fully selected");
    check(findChild(prompt, L"Button", L"ｷｬﾝｾﾙ") != nullptr, L"prompt has the cancel button");
    answerPrompt(prompt, L"Alpha");

    MainWindow w{need(p.waitMain(), L"main window")};
    check(FindWindowW(L"TfrmMain", L"ZTP for win32") == w.h, L"FindWindow by class and title");
    RECT rc;
    GetClientRect(w.h, &rc);
    check(rc.right == 516 && rc.bottom == 346, L"client area 516 x 346");
    checkEq(listItems(w.lstTrackSelect()),
            {L"   1.    1 -    4:05", L"   1.    2 -    3:58", L"   1.    3 -    5:30"},
            L"disk 1 entries");
    checkEq(w.pnlSelectKei(), std::wstring(L"    .    3 -   13:33"), L"selection total");
    checkEq(w.lblTotalTracks(), std::wstring(L"3"), L"track count label");
    checkEq(w.lblTotalTime(), std::wstring(L"  13:33"), L"total time label");

    HWND eject = need(w.player(L"btEject"), L"btEject");
    check(IsWindowEnabled(eject) != FALSE, L"eject usable");
    check(!IsWindowEnabled(w.player(L"btStep")) && !IsWindowEnabled(w.player(L"btBack")),
          L"step and back not usable");
    pressButton(eject);
    pressButton(w.button(L"追加"));
    prompt = need(p.waitDialog(L"ZTP", true), L"second title prompt");
    answerPrompt(prompt, L"Beta");
    waitFor([&] { return listItems(w.lstTrackSelect()).size() == 5; });
    checkEq(listItems(w.lstTrackSelect()),
            {L"   1.    1 -    4:05", L"   1.    2 -    3:58", L"   1.    3 -    5:30",
             L"   2.    1 -    6:12", L"   2.    2 -    4:44"},
            L"eject then add gives disk 2");
    checkEq(w.pnlSelectKei(), std::wstring(L"    .    5 -   24:29"), L"total after add");

    setListSelection(w.lstTrackSelect(), {0, 3});
    pressButton(w.button(L"削除"));
    waitFor([&] { return listItems(w.lstTrackSelect()).size() == 3; });
    checkEq(listItems(w.lstTrackSelect()),
            {L"   1.    2 -    3:58", L"   1.    3 -    5:30", L"   2.    2 -    4:44"},
            L"delete removes the highlighted entries");
    checkEq(w.pnlSelectKei(), std::wstring(L"    .    3 -   14:12"), L"total after delete");

    pressButton(eject);
    pressButton(w.button(L"表示"));
    waitFor([&] { return w.lblTotalTracks() == L"4"; });
    checkEq(w.lblTotalTracks(), std::wstring(L"4"), L"show: track count of the new CD");
    checkEq(w.lblTotalTime(), std::wstring(L"  10:00"), L"show: total time of the new CD");
    Sleep(500);
    check(p.topWindows(L"#32770", L"").empty(), L"show asks for no title");
    check(listItems(w.lstTrackSelect()).size() == 3, L"show adds nothing");

    pressButton(w.button(L"終了"));
    DWORD code = 1;
    check(p.waitExit(10s, &code) && code == 0, L"exit button ends the program");
}

// Start-up with an empty drive: one not-ready message, then an empty list.
void emptyDrive() {
    // A Unix path, mapped by the program as Wine maps it.
    std::wstring disc = writeDisc(L"empty.disc", "empty\ndisc Late\n2:00\n");
    // Under Z: (the Unix root) pass it as a Unix path, mapped by the program.
    bool onZ = disc.size() > 2 && (disc[0] == L'Z' || disc[0] == L'z') && disc[1] == L':';
    std::wstring unixPath = disc.substr(2);
    for (wchar_t& c : unixPath)
        if (c == L'\\') c = L'/';
    Program p(exePath, onZ ? unixPath.c_str() : disc.c_str());
    HWND box = need(p.waitDialog(L"ZTP", false), L"not-ready message");
    checkEq(dialogText(box), std::wstring(L"ＣＤの準備が出来ていません。"), L"not-ready message");
    pressButton(GetDlgItem(box, IDOK));
    MainWindow w{need(p.waitMain(), L"main window")};
    Sleep(500);
    check(p.topWindows(L"#32770", L"").empty(), L"only one message");
    check(listItems(w.lstTrackSelect()).empty(), L"empty selection list");
    checkEq(w.pnlSelectKei(), std::wstring(L"    .    0 -    0:00"), L"empty selection total");
    checkEq(w.lblTotalTracks(), std::wstring(L""), L"labels stay empty");
    PostMessageW(w.h, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1;
    check(p.waitExit(10s, &code) && code == 0, L"close box ends the program");
}

// The edit page: one pass per mode, and a bad tape time.
void editPage() {
    std::wstring disc = writeDisc(L"edit.disc", "disc Mix\n4:00 3:00 5:00 2:00 6:00 1:00\n");
    Program p(exePath, disc.c_str());
    answerPrompt(need(p.waitDialog(L"ZTP", true), L"title prompt"), L"Mix");
    MainWindow w{need(p.waitMain(), L"main window")};
    HWND tabs = w.tabs();

    auto toEdit = [&] {
        clickTab(p.pid(), tabs, 1);
        return waitFor([&] { return currentTab(tabs) == 1 && !w.panel(6).empty(); });
    };
    auto toSettings = [&] {
        clickTab(p.pid(), tabs, 0);
        waitFor([&] { return currentTab(tabs) == 0; });
    };

    check(toEdit(), L"both sides equal: the edit page shows a result");
    auto a = listItems(w.lstA()), b = listItems(w.lstB());
    check(a.size() + b.size() == 6 && !a.empty() && !b.empty(), L"both sides equal: all tracks split",
          join(a) + L" / " + join(b));
    toSettings();

    pressButton(w.button(L"A面優先"));
    waitFor([&] { return IsWindowEnabled(w.edtTapeTime()) != FALSE; });
    check(IsWindowEnabled(w.edtTapeTime()) != FALSE, L"side A first enables the tape time");
    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"20"));
    check(toEdit(), L"side A first: the edit page shows a result");
    // The panels and lists may still show the previous result for a moment
    // (on this disc the two results differ).
    waitFor([&] { return w.panel(4).substr(10) == L" -   10:00" && listItems(w.lstA()) != a; });
    auto aA = listItems(w.lstA()), aB = listItems(w.lstB());
    checkEq(w.panel(4).substr(10), std::wstring(L" -   10:00"), L"side A first: side A fills 10:00");
    toSettings();

    pressButton(w.button(L"B面優先"));
    check(toEdit(), L"side B first: the edit page shows a result");
    waitFor([&] { return listItems(w.lstA()) == aB && listItems(w.lstB()) == aA; });
    checkEq(listItems(w.lstA()), aB, L"side B first: side A is the other set");
    checkEq(listItems(w.lstB()), aA, L"side B first: side B is the searched set");
    toSettings();

    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
    clickTab(p.pid(), tabs, 1);
    HWND box = need(p.waitDialog(L"ZTP for win32", false), L"error box");
    checkEq(dialogText(box), std::wstring(L"'abc' は整数ではありません."), L"bad tape time: error box");
    pressButton(GetDlgItem(box, IDOK));
    waitFor([&] { return p.topWindows(L"#32770", L"").empty(); });
    check(currentTab(tabs) == 1, L"bad tape time: the edit page stays active");
    pressButton(w.button(L"両面均等"));
    waitFor([&] { return !IsWindowEnabled(w.edtTapeTime()); });
    checkEq(windowText(w.edtTapeTime()), std::wstring(L"abc"), L"both sides equal keeps the tape text");
    check(!IsWindowEnabled(w.edtTapeTime()), L"both sides equal disables the tape time");
}

HWND focusOf(HWND w) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gi);
    return gi.hwndFocus;
}

// The Tab key walks the controls in the window's keyboard order.
void tabOrder() {
    std::wstring disc = writeDisc(L"keys.disc", "disc Keys\n4:00 3:00\n");
    Program p(exePath, disc.c_str());
    answerPrompt(need(p.waitDialog(L"ZTP", true), L"title prompt"), L"Keys");
    MainWindow w{need(p.waitMain(), L"main window")};
    waitFor([&] { return focusOf(w.h) == w.tabs(); });
    check(focusOf(w.h) == w.tabs(), L"the page control has the focus at start");
    HWND player = GetParent(w.player(L"btPlay"));
    // Settings page, mode 両面均等: the tape time box is disabled and skipped.
    std::vector<std::pair<HWND, std::wstring>> order = {
        {w.button(L"追加"), L"btnTrackAdd"}, {w.lstTrackSelect(), L"lstTrackSelect"},
        {w.button(L"削除"), L"btnTrackDel"}, {w.button(L"両面均等"), L"radRyoumen"},
        {player, L"mplCD"},                 {w.button(L"表示"), L"btnCDInfo"},
        {w.button(L"ﾊﾞｰｼﾞｮﾝ情報"), L"btnVersion"}, {w.button(L"終了"), L"btnExit"},
        {w.tabs(), L"pctWizard"}};
    std::wstring got, want;
    for (auto& [h, name] : order) {
        HWND before = focusOf(w.h);
        PostMessageW(before, WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(before, WM_KEYUP, VK_TAB, 0);
        waitFor([&] { return focusOf(w.h) != before; }, 3s);
        HWND now = focusOf(w.h);
        std::wstring seen = L"?";
        for (auto& [h2, n2] : order)
            if (h2 == now) seen = n2;
        got += seen + L" ";
        want += name + L" ";
    }
    checkEq(got, want, L"Tab order on the settings page");
}

// Without ZTP_DISCS and without a drive the device open fails: fatal box.
void fatalStart() {
    Program p(exePath, nullptr);
    HWND box = need(p.waitTop(L"#32770", L"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", 20s), L"fatal box");
    std::wstring text = dialogText(box);
    check(text.find(L"EMCIDeviceError") != std::wstring::npos, L"fatal box names EMCIDeviceError", text);
    check(FindWindowW(L"TfrmMain", nullptr) == nullptr, L"no main window");
    HWND ok = findChild(box, L"Button");
    pressButton(ok);
    check(p.waitExit(10s), L"program ends after the fatal box");
}

// Poses a ztp.exe started elsewhere (in the same virtual desktop) for a
// screenshot of a page and writes its window rectangle "W H X Y" to a file.
int pose(const std::wstring& page, const std::wstring& rectFile) {
    auto dialog = [](const std::wstring& caption, bool withEdit) {
        HWND found = nullptr;
        waitFor([&] {
            for (HWND h : topWindows(0, L"#32770", caption))
                if ((findChild(h, L"Edit") != nullptr) == withEdit) found = h;
            return found != nullptr;
        });
        return found;
    };
    HWND prompt = dialog(L"ZTP", true);
    if (!prompt) return 1;
    answerPrompt(prompt, L"朝のうた");
    HWND main = nullptr;
    waitFor([&] { return (main = FindWindowW(L"TfrmMain", L"ZTP for win32")) && IsWindowVisible(main); });
    if (!main) return 1;
    MainWindow w{main};
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    pressButton(w.player(L"btEject"));
    pressButton(w.button(L"追加"));
    if (!(prompt = dialog(L"ZTP", true))) return 1;
    answerPrompt(prompt, L"Evening Standards");
    waitFor([&] { return listItems(w.lstTrackSelect()).size() > 12; });
    pressButton(w.button(L"A面優先"));
    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"46"));
    if (page == L"edit") {
        clickTab(pid, w.tabs(), 1);
        waitFor([&] { return !w.panel(6).empty(); });
        setListSelection(w.lstA(), {1});
    } else {
        setListSelection(w.lstTrackSelect(), {2, 3});
    }
    SetForegroundWindow(main);
    Sleep(800);
    RECT r;
    GetWindowRect(main, &r);
    char line[64];
    int n = snprintf(line, 64, "%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    HANDLE f = CreateFileW(rectFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, line, DWORD(n), &written, nullptr);
    CloseHandle(f);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--pose") return pose(argv[2], argv[3]);
    if (argc < 3) {
        out(L"usage: ztp_e2e ZTP_EXE SCRATCH_DIR [flow]");
        return 2;
    }
    exePath = argv[1];
    scratch = argv[2];
    CreateDirectoryW(scratch.c_str(), nullptr);
    std::wstring only = argc > 3 ? argv[3] : L"";
    struct Flow {
        const wchar_t* name;
        void (*fn)();
    } flows[] = {{L"fatal", fatalStart},
                 {L"collect", collectTracks},
                 {L"empty", emptyDrive},
                 {L"edit", editPage},
                 {L"keys", tabOrder}};
    for (auto& f : flows)
        if (only.empty() || only == f.name) run(f.name, f.fn);
    wchar_t line[64];
    swprintf(line, 64, L"%d passed, %d failed", passed, failed);
    out(line);
    return failed ? 1 : 0;
}
