// End-to-end tests: start the real ztp.exe with a virtual CD changer, drive
// its window and dialogs from outside, and read back what it shows.
//   ztp_e2e.exe <path of ztp.exe> <scratch folder>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver.h"
#include "main_window.h"
#include "report.h"

using namespace e2e;

namespace {

std::wstring exePath, scratch, samplesDir;

std::wstring writeDisc(const std::wstring& name, const std::string& text) {
    std::wstring path = scratch + L"\\" + name;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a disc file");
    DWORD n = 0;
    WriteFile(f, text.data(), DWORD(text.size()), &n, nullptr);
    CloseHandle(f);
    return path;
}

bool fileExists(const std::wstring& p) {
    return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The folder of this test program (the planted DLL is built there).
std::wstring ownFolder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
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
    check(a.size() + b.size() == 6 && !a.empty() && !b.empty(),
          L"both sides equal: all tracks split", join(a) + L" / " + join(b));
    toSettings();

    pressButton(w.button(L"A面優先"));
    waitFor([&] { return IsWindowEnabled(w.edtTapeTime()) != FALSE; });
    check(IsWindowEnabled(w.edtTapeTime()) != FALSE, L"side A first enables the tape time");
    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"20"));
    check(toEdit(), L"side A first: the edit page shows a result");
    // Wait for this mode's result (on this disc the two results differ).
    waitFor([&] { return w.panel(4).substr(10) == L" -   10:00" && listItems(w.lstA()) != a; });
    auto aA = listItems(w.lstA()), aB = listItems(w.lstB());
    checkEq(w.panel(4).substr(10), std::wstring(L" -   10:00"),
            L"side A first: side A fills 10:00");
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
    checkEq(dialogText(box), std::wstring(L"'abc' は整数ではありません."),
            L"bad tape time: error box");
    pressButton(GetDlgItem(box, IDOK));
    waitFor([&] { return p.topWindows(L"#32770", L"").empty(); });
    check(currentTab(tabs) == 1, L"bad tape time: the edit page stays active");
    pressButton(w.button(L"両面均等"));
    waitFor([&] { return !IsWindowEnabled(w.edtTapeTime()); });
    checkEq(windowText(w.edtTapeTime()), std::wstring(L"abc"),
            L"both sides equal keeps the tape text");
    check(!IsWindowEnabled(w.edtTapeTime()), L"both sides equal disables the tape time");
}

// Posts Tab until the focus is on target; false if it never gets there.
bool focusByTab(HWND main, HWND target) {
    for (int i = 0; i < 24 && focusOf(main) != target; ++i) {
        HWND before = focusOf(main);
        PostMessageW(before ? before : main, WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(before ? before : main, WM_KEYUP, VK_TAB, 0);
        waitFor([&] { return focusOf(main) != before; }, 3s);
    }
    return focusOf(main) == target;
}

// Enter on the focused push button presses it.
bool enterOn(HWND main, HWND button) {
    if (!focusByTab(main, button)) return false;
    PostMessageW(button, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(button, WM_KEYUP, VK_RETURN, 0);
    return true;
}

// The keyboard: the Tab key walks the controls in the window's keyboard
// order, Ctrl+Tab and its kin turn the pages as a click on a tab does, and
// Enter presses the focused push button.
void tabOrder() {
    std::wstring disc =
        writeDisc(L"keys.disc", "disc Keys\n4:00 3:00\ndisc More\n1:00 2:00 3:00\n");
    Program p(exePath, disc.c_str());
    answerPrompt(need(p.waitDialog(L"ZTP", true), L"title prompt"), L"Keys");
    MainWindow w{need(p.waitMain(), L"main window")};
    waitFor([&] { return focusOf(w.h) == w.tabs(); });
    check(focusOf(w.h) == w.tabs(), L"the page control has the focus at start");
    HWND player = GetParent(w.player(L"btPlay"));
    // Settings page, mode 両面均等: the tape time box is disabled and skipped.
    std::vector<std::pair<HWND, std::wstring>> order = {{w.button(L"追加"), L"btnTrackAdd"},
                                                        {w.lstTrackSelect(), L"lstTrackSelect"},
                                                        {w.button(L"削除"), L"btnTrackDel"},
                                                        {w.button(L"両面均等"), L"radRyoumen"},
                                                        {player, L"mplCD"},
                                                        {w.button(L"表示"), L"btnCDInfo"},
                                                        {w.button(L"ﾊﾞｰｼﾞｮﾝ情報"), L"btnVersion"},
                                                        {w.button(L"終了"), L"btnExit"},
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

    // The page keys, from a control on the page and from the tabs; each
    // turn runs the page change: the search on the edit page, the reset
    // (sides emptied) on leaving it.
    HWND tabs = w.tabs();
    auto onEdit = [&] {
        return currentTab(tabs) == 1 && !w.panel(6).empty() &&
               listItems(w.lstA()).size() + listItems(w.lstB()).size() == 2;
    };
    auto onSettings = [&] {
        return currentTab(tabs) == 0 && w.panel(6).empty() && listItems(w.lstA()).empty() &&
               listItems(w.lstB()).empty();
    };
    check(focusByTab(w.h, w.lstTrackSelect()), L"focus on the selection list");
    pressKeys(w.h, {VK_CONTROL, VK_TAB});
    check(waitFor(onEdit, 5s), L"Ctrl+Tab: the edit page, searched", w.panel(6));
    check(IsWindowVisible(w.lstA()) && !IsWindowVisible(w.lstTrackSelect()),
          L"Ctrl+Tab: the edit page shown");
    pressKeys(w.h, {VK_CONTROL, VK_TAB});
    check(waitFor(onSettings, 5s), L"Ctrl+Tab on the last page: round to the settings page, reset");
    check(IsWindowVisible(w.lstTrackSelect()) && !IsWindowVisible(w.lstA()),
          L"Ctrl+Tab: the settings page shown");
    pressKeys(w.h, {VK_CONTROL, VK_SHIFT, VK_TAB});
    check(waitFor(onEdit, 5s),
          L"Ctrl+Shift+Tab on the first page: round to the edit page, searched");
    pressKeys(w.h, {VK_CONTROL, VK_PRIOR});
    check(waitFor(onSettings, 5s), L"Ctrl+PageUp: the settings page, reset");
    pressKeys(w.h, {VK_CONTROL, VK_NEXT});
    check(waitFor(onEdit, 5s), L"Ctrl+PageDown: the edit page, searched");

    // Enter on each push button, as Space does.
    check(enterOn(w.h, w.button(L"保存")), L"focus on 保存");
    HWND q = p.waitDialog(L"ZTP", false, 5s);
    check(q && dialogText(q) == L"結果をファイルに保存しますか？",
          L"Enter on 保存: the save question");
    if (q) pressButton(GetDlgItem(q, IDNO));
    waitFor([&] { return p.topWindows(L"#32770", L"").empty(); }, 5s);
    pressKeys(w.h, {VK_CONTROL, VK_PRIOR});
    waitFor(onSettings, 5s);
    pressButton(w.player(L"btEject"));
    check(enterOn(w.h, w.button(L"追加")), L"focus on 追加");
    HWND prompt = p.waitDialog(L"ZTP", true, 5s);
    check(prompt != nullptr, L"Enter on 追加: the title prompt");
    if (prompt) answerPrompt(prompt, L"More");
    check(waitFor([&] { return listItems(w.lstTrackSelect()).size() == 5; }, 5s),
          L"Enter on 追加: the CD added");
    check(enterOn(w.h, w.button(L"ﾊﾞｰｼﾞｮﾝ情報")), L"focus on ﾊﾞｰｼﾞｮﾝ情報");
    HWND about = p.waitTop(L"TfrmVersion", L"ﾊﾞｰｼﾞｮﾝ情報", 5s);
    check(about != nullptr, L"Enter on ﾊﾞｰｼﾞｮﾝ情報: the about box");
    if (about) pressButton(findChild(about, L"Button", L"OK"));
    waitFor([&] { return !about || !IsWindowVisible(about); }, 5s);
    check(enterOn(w.h, w.button(L"終了")), L"focus on 終了");
    DWORD code = 1;
    check(p.waitExit(10s, &code) && code == 0, L"Enter on 終了 ends the program");
}

// Without ZTP_DISCS and without a drive the device open fails: fatal box.
// Then a copy in a folder where a winmm.dll was planted, with Wine told to
// prefer such a DLL as Windows does: it takes winmm from System32 all the
// same.
void fatalStart() {
    std::wstring first;
    {
        Program p(exePath, nullptr);
        HWND box = need(p.waitTop(L"#32770", L"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", 20s), L"fatal box");
        first = dialogText(box);
        check(first.find(L"EMCIDeviceError") != std::wstring::npos,
              L"fatal box names EMCIDeviceError", first);
        check(FindWindowW(L"TfrmMain", nullptr) == nullptr, L"no main window");
        HWND ok = findChild(box, L"Button");
        pressButton(ok);
        check(p.waitExit(10s), L"program ends after the fatal box");
    }

    std::wstring folder = scratch + L"\\planted";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\ztp-planted.exe", dll = folder + L"\\winmm.dll",
                 marker = dll + L".loaded";
    check(CopyFileW(exePath.c_str(), exe.c_str(), FALSE) &&
              CopyFileW((ownFolder() + L"planted_winmm.dll").c_str(), dll.c_str(), FALSE),
          L"planted: ztp.exe beside a winmm.dll");
    DeleteFileW(marker.c_str());
    // Under its own name (Wine would take its builtin for a winmm.dll).
    std::wstring plain = ownFolder() + L"planted_winmm.dll";
    DeleteFileW((plain + L".loaded").c_str());
    HMODULE own = LoadLibraryW(plain.c_str());
    check(own && fileExists(plain + L".loaded"), L"planted: the DLL leaves its mark when loaded");
    if (own) FreeLibrary(own);
    DeleteFileW((plain + L".loaded").c_str());

    // Wine's own choice for this copy only (Windows does not read the key).
    const wchar_t* kOverrides = L"Software\\Wine\\AppDefaults\\ztp-planted.exe\\DllOverrides";
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(k, L"winmm", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native,builtin"),
                       30);
        RegCloseKey(k);
    }
    struct Undo {
        ~Undo() {
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\ztp-planted.exe");
        }
    } undo;
    Program p(exe, nullptr);
    HWND box = need(p.waitTop(L"#32770", L"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", 20s), L"planted: fatal box");
    checkEq(dialogText(box), first, L"planted: the same box, the system's MCI text");
    check(!fileExists(marker), L"planted: the winmm.dll beside the program is not loaded");
    pressButton(findChild(box, L"Button"));
    check(p.waitExit(10s), L"planted: program ends after the fatal box");
}

std::vector<int> selection(HWND list) {
    std::vector<int> out;
    int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (SendMessageW(list, LB_GETSEL, WPARAM(i), 0) > 0) out.push_back(i);
    return out;
}

void checkSel(HWND list, const std::vector<int>& want, const std::wstring& what) {
    auto str = [](const std::vector<int>& v) {
        std::wstring s;
        for (int i : v) s += std::to_wstring(i) + L" ";
        return s;
    };
    std::vector<int> got = selection(list);
    check(got == want, what, L"got {" + str(got) + L"}, want {" + str(want) + L"}");
}

// Seconds of an entry text's time ("   1.    2 -    3:58").
int entrySeconds(const std::wstring& e) {
    return std::stoi(e.substr(13, 4)) * 60 + std::stoi(e.substr(18, 2));
}

std::wstring totalsOf(const std::vector<std::wstring>& list) {
    int sum = 0;
    for (auto& e : list) sum += entrySeconds(e);
    wchar_t buf[64];
    swprintf(buf, 64, L"    .%5d - %4d:%02d", int(list.size()), sum / 60, sum % 60);
    return buf;
}

std::wstring tapeOf(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b) {
    int sa = 0, sb = 0;
    for (auto& e : a) sa += entrySeconds(e);
    for (auto& e : b) sb += entrySeconds(e);
    wchar_t buf[64];
    swprintf(buf, 64, L"%4.2f", double(std::max(sa, sb)) * 2 / 60);
    return buf;
}

// The result file as it must be, from the side lists shown and the titles.
std::string expectedFile(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b,
                         const std::vector<std::wstring>& titles) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t sep[8] = L"/";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, sep, 8);
    wchar_t date[64];
    swprintf(date, 64, L"%04d%ls%02d%ls%02d", st.wYear, sep, st.wMonth, sep, st.wDay);
    std::wstring t = L"Date." + std::wstring(date) +
                     L" - ZTP for win32 作成\r\n\r\n\r\n◆最適テープ : " + tapeOf(a, b) +
                     L"分\r\n\r\n";
    auto side = [&](const wchar_t* head, const std::vector<std::wstring>& list) {
        t += head + std::wstring(L"\r\n\tTrack -    Time -  No.: [Disk Title]\r\n");
        for (auto& e : list)
            t += L"\t" + e.substr(5) + L" - " + e.substr(0, 4) + L": " +
                 titles.at(size_t(std::stoi(e.substr(0, 4)) - 1)) + L"\r\n";
        t += L"\t------------------------------------\r\n\t" + totalsOf(list).substr(5) + L"\r\n";
    };
    side(L"◆Ａ面", a);
    side(L"◆Ｂ面", b);
    int n = WideCharToMultiByte(932, 0, t.c_str(), int(t.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(932, 0, t.c_str(), int(t.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string readFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(f);
    return out;
}

std::vector<std::wstring> filesIn(const std::wstring& dir) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) out.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

const std::wstring kSaveTitle = L"結果を保存するファイル名を入力して下さい";

// Presses 保存, answers the question with Yes, types name into the save
// dialog and confirms an overwrite question if one comes. Returns the name
// the dialog offered.
std::wstring saveThroughDialogs(Program& p, MainWindow& w, const std::wstring& name, bool overwrite,
                                const std::wstring& tag) {
    pressButton(w.button(L"保存"));
    HWND q = need(p.waitDialog(L"ZTP", false), L"save question");
    checkEq(dialogText(q), std::wstring(L"結果をファイルに保存しますか？"),
            tag + L": the question");
    check(GetDlgItem(q, IDYES) && GetDlgItem(q, IDNO) && !GetDlgItem(q, IDCANCEL),
          tag + L": Yes and No");
    pressButton(GetDlgItem(q, IDYES));
    HWND dlg = need(p.waitTop(L"#32770", kSaveTitle), L"save dialog");
    HWND combo = GetDlgItem(dlg, 1148);
    HWND edit = findChild(combo, L"Edit");
    if (!edit) edit = combo;
    std::wstring offered;
    waitFor([&] { return IsWindowVisible(dlg) != FALSE; });
    offered = windowText(edit);
    wchar_t type[64] = {};
    SendMessageW(GetDlgItem(dlg, 1136), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
    check(std::wstring(type).find(L"ZTP File") == 0, tag + L": the filter", type);
    HWND readOnly = GetDlgItem(dlg, 1040);
    check(!readOnly || !IsWindowVisible(readOnly), tag + L": no read-only box");
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    pressButton(GetDlgItem(dlg, IDOK));
    if (overwrite) {
        HWND box = nullptr;
        waitFor([&] {
            for (HWND h : p.topWindows(L"#32770", L""))
                if (h != dlg && GetDlgItem(h, IDYES)) box = h;
            return box != nullptr;
        });
        check(box != nullptr, tag + L": the dialog asks before replacing");
        if (box) pressButton(GetDlgItem(box, IDYES));
    }
    waitFor([&] { return !IsWindow(dlg); });
    return offered;
}

// The road of one tape: the splash while disk 1 is read, two CDs with
// highlights kept over add and delete, side A first on 46 minutes, moves
// both ways, saving twice to one name and a save that fails.
void roadOfATape() {
    std::wstring disc = writeDisc(
        L"road.disc",
        "disc Morning\n3:10 4:05 2:48 5:30 3:58 4:44 2:15 6:12 3:33 4:01 2:59 5:05 3:21 4:17\n"
        "disc Evening\n4:30 3:45 5:15 2:40 6:00 3:05 4:10 2:35\n");
    // The second title as typed (with a tab, C0 codes, DEL and C1 codes)
    // and as it goes on the card: a blank for each control character.
    const std::wstring typed = L"\tEve\x01ning\x07\x1b\x7f\x85\x9f!";
    const std::vector<std::wstring> titles = {L"朝のうた", L" Eve ning     !"};
    Program p(exePath, disc.c_str());
    HWND prompt = need(p.waitDialog(L"ZTP", true), L"title prompt");
    auto splash = p.topWindows(L"TSplashScreen", L"");
    check(splash.size() == 1, L"splash screen up while the title prompt is open");
    if (!splash.empty()) {
        RECT rc;
        GetClientRect(splash[0], &rc);
        check(rc.right == 180 && rc.bottom == 85, L"splash screen 180 x 85");
        RECT wr;
        GetWindowRect(splash[0], &wr);
        check(wr.right - wr.left == 180 && wr.bottom - wr.top == 85,
              L"splash screen has no border");
    }
    check(p.topWindows(L"TfrmMain", L"").empty(), L"main window not yet shown");
    answerPrompt(prompt, titles[0]);
    MainWindow w{need(p.waitMain(), L"main window")};
    check(waitFor([&] { return FindWindowW(L"TSplashScreen", nullptr) == nullptr; }),
          L"splash screen gone with the main window up");

    // Highlights and scroll position survive an add.
    HWND sel = w.lstTrackSelect();
    SendMessageW(sel, LB_SETTOPINDEX, 5, 0);
    setListSelection(sel, {6, 8});
    const int top = int(SendMessageW(sel, LB_GETTOPINDEX, 0, 0));
    check(top > 0, L"selection list scrolled");
    pressButton(w.player(L"btEject"));
    pressButton(w.button(L"追加"));
    prompt = need(p.waitDialog(L"ZTP", true), L"second title prompt");
    check(listItems(sel).size() == 22,
          L"the new disk's entries are listed before its title is asked");
    answerPrompt(prompt, typed);
    waitFor([&] { return w.pnlSelectKei().substr(5, 5) == L"   22"; });
    checkSel(sel, {6, 8}, L"highlights survive an add");
    check(SendMessageW(sel, LB_GETTOPINDEX, 0, 0) == top, L"scroll position survives an add");
    // Delete: only the highlighted entries go, the list stays where it was.
    setListSelection(sel, {20, 21});
    SendMessageW(sel, LB_SETTOPINDEX, 4, 0);
    const int before = int(SendMessageW(sel, LB_GETTOPINDEX, 0, 0));
    pressButton(w.button(L"削除"));
    waitFor([&] { return listItems(sel).size() == 20; });
    check(listItems(sel).back() == L"   2.    6 -    3:05",
          L"delete removes the highlighted entries");
    const int after = int(SendMessageW(sel, LB_GETTOPINDEX, 0, 0));
    check(after == before && before == 4, L"scroll position survives a delete",
          std::to_wstring(after) + L" vs " + std::to_wstring(before));

    // Side A first on a 46-minute tape.
    pressButton(w.button(L"A面優先"));
    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"46"));
    clickTab(p.pid(), w.tabs(), 1);
    check(waitFor([&] { return !w.panel(6).empty(); }), L"the edit page shows a result");
    const auto searchedA = listItems(w.lstA()), searchedB = listItems(w.lstB());
    int sumA = 0;
    for (auto& e : searchedA) sumA += entrySeconds(e);
    check(sumA <= 23 * 60 && sumA > 22 * 60, L"side A comes close to 23 minutes",
          std::to_wstring(sumA));

    // A to B with entries highlighted in both lists.
    setListSelection(w.lstA(), {0, 2});
    setListSelection(w.lstB(), {1});
    pressButton(w.player(L"sbtTrackR"));
    std::vector<std::wstring> wantA = searchedA, wantB = searchedB;
    wantB.push_back(searchedA[0]);
    wantB.push_back(searchedA[2]);
    wantA.erase(wantA.begin() + 2);
    wantA.erase(wantA.begin());
    waitFor([&] { return listItems(w.lstB()).size() == wantB.size(); });
    checkEq(listItems(w.lstA()), wantA, L"A to B: side A");
    checkEq(listItems(w.lstB()), wantB, L"A to B: moved entries at the end of side B");
    checkSel(w.lstB(), {1}, L"A to B: side B keeps its highlight");
    checkSel(w.lstA(), {}, L"A to B: nothing highlighted left on side A");
    checkEq(w.panel(4), totalsOf(wantA), L"A to B: side A total");
    checkEq(w.panel(5), totalsOf(wantB), L"A to B: side B total");
    checkEq(w.panel(6), tapeOf(wantA, wantB), L"A to B: tape length");

    // B to A: side B's highlighted entry goes, side A keeps its own highlight.
    setListSelection(w.lstA(), {0});
    pressButton(w.player(L"sbtTrackL"));
    wantA.push_back(wantB[1]);
    wantB.erase(wantB.begin() + 1);
    waitFor([&] { return listItems(w.lstA()).size() == wantA.size(); });
    checkEq(listItems(w.lstA()), wantA, L"B to A: side A");
    checkEq(listItems(w.lstB()), wantB, L"B to A: side B");
    checkSel(w.lstA(), {0}, L"B to A: side A keeps its highlight");
    checkEq(w.panel(6), tapeOf(wantA, wantB), L"B to A: tape length");
    // Nothing highlighted: nothing moves.
    setListSelection(w.lstB(), {});
    pressButton(w.player(L"sbtTrackL"));
    Sleep(300);
    checkEq(listItems(w.lstA()), wantA, L"no highlight: nothing moves");

    // Save, with the extension added by the dialog.
    std::wstring folder = scratch + L"\\cards";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring target = folder + L"\\tape.ztp";
    DeleteFileW(target.c_str());
    saveThroughDialogs(p, w, folder + L"\\tape", false, L"first save");
    waitFor([&] { return GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES; });
    std::string first = expectedFile(wantA, wantB, titles);
    check(readFile(target) == first, L"first save: the file byte for byte");
    check(filesIn(folder).size() == 1, L"first save: no temporary file left");

    // Another move, and the same name again after the overwrite question.
    setListSelection(w.lstA(), {1});
    pressButton(w.player(L"sbtTrackR"));
    wantB.push_back(wantA[1]);
    wantA.erase(wantA.begin() + 1);
    waitFor([&] { return listItems(w.lstB()).size() == wantB.size(); });
    std::wstring offered = saveThroughDialogs(p, w, target, true, L"second save");
    check(offered.find(L"tape.ztp") != std::wstring::npos,
          L"second save: the dialog offers the last name", offered);
    std::string second = expectedFile(wantA, wantB, titles);
    check(waitFor([&] { return readFile(target) == second; }),
          L"second save replaces the whole file");
    check(first != second, L"second save: another result");

    // A save that fails: the file is held open without sharing.
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    check(held != INVALID_HANDLE_VALUE, L"failing save: file held open");
    saveThroughDialogs(p, w, target, true, L"failing save");
    HWND box = need(p.waitDialog(L"ZTP for win32", false), L"error box");
    std::wstring text = dialogText(box);
    // Windows reports the sharing violation (32); Wine's MoveFileExW says
    // access denied (5).
    check(text == L"I/O ｴﾗｰ (32)." || text == L"ﾌｧｲﾙへのｱｸｾｽが拒否されました.",
          L"failing save: the error box", text);
    pressButton(GetDlgItem(box, IDOK));
    CloseHandle(held);
    check(readFile(target) == second, L"failing save: the earlier file is unchanged");
    check(filesIn(folder).size() == 1, L"failing save: no temporary file left");

    // Leaving and re-entering the edit page discards the moves.
    clickTab(p.pid(), w.tabs(), 0);
    waitFor([&] { return currentTab(w.tabs()) == 0; });
    clickTab(p.pid(), w.tabs(), 1);
    waitFor([&] { return currentTab(w.tabs()) == 1 && listItems(w.lstA()) == searchedA; });
    checkEq(listItems(w.lstA()), searchedA, L"re-entering: side A searched anew");
    checkEq(listItems(w.lstB()), searchedB, L"re-entering: side B searched anew");
    pressButton(w.button(L"終了"));
    check(p.waitExit(), L"the program ends");
}

// Discs of random track lengths (seconds from lo to hi) for the soak: a
// fixed seed, so every run plans the same tracks.
std::string randomDiscs(unsigned seed, int discs, int tracks, const std::vector<int>& lengths,
                        int lo, int hi) {
    std::string text;
    unsigned x = seed;
    auto next = [&] {
        x = x * 1103515245u + 12345u;
        return (x >> 8) & 0xffffff;
    };
    for (int d = 1; d <= discs; ++d) {
        text += "disc Soak " + std::to_string(d) + "\n";
        for (int t = 0; t < tracks; ++t) {
            const int sec = lengths.empty() ? lo + int(next() % unsigned(hi - lo + 1))
                                            : lengths[next() % lengths.size()];
            char buf[16];
            snprintf(buf, sizeof buf, "%d:%02d ", sec / 60, sec % 60);
            text += buf;
        }
        text += "\n";
    }
    return text;
}

// One soak: the discs collected (eject, then 追加 for each further disc),
// the mode set, then ten visits to the edit page by clicks on its tab. The
// side lists are emptied from here before each visit, so that a visit is
// seen only once the program has searched and shown the sides anew; every
// visit must show the same split, totals that add up, and a program that
// still answers.
void soak(const std::wstring& discFile, int discs, const wchar_t* mode, const wchar_t* tape,
          const std::wstring& wantTape) {
    Program p(exePath, discFile.c_str());
    answerPrompt(need(p.waitDialog(L"ZTP", true), L"title prompt"), L"Disc 1");
    MainWindow w{need(p.waitMain(), L"main window")};
    for (int d = 2; d <= discs; ++d) {
        const size_t before = listItems(w.lstTrackSelect()).size();
        pressButton(w.player(L"btEject"));
        pressButton(w.button(L"追加"));
        answerPrompt(need(p.waitDialog(L"ZTP", true), L"title prompt of a later disc"),
                     L"Disc " + std::to_wstring(d));
        waitFor([&] {
            return listItems(w.lstTrackSelect()).size() > before &&
                   p.topWindows(L"#32770", L"").empty();
        });
    }
    const size_t tracks = listItems(w.lstTrackSelect()).size();
    check(tracks > 0, L"soak: tracks collected", std::to_wstring(tracks));
    if (mode) {
        pressButton(w.button(mode));
        waitFor([&] { return IsWindowEnabled(w.edtTapeTime()) != FALSE; });
        SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tape));
    }
    HWND tabs = w.tabs();
    HWND finPanel = findChild(w.h, L"FwPanel", L"", 6);
    std::vector<std::wstring> firstA, firstB;
    int same = 0, fresh = 0;
    // A program that crashed hangs: every message to it is sent only once
    // it has been seen to answer.
    auto alive = [&] { return !crashDialogUp(p.pid()) && responsive(w.h, 3s); };
    for (int visit = 1; visit <= 10; ++visit) {
        if (!alive()) {
            check(false, L"soak: the program answers before visit " + std::to_wstring(visit),
                  crashDialogUp(p.pid()) ? L"the program crashed"
                  : IsWindow(w.h)        ? L"it hangs"
                                         : L"it ended");
            return;
        }
        SendMessageW(w.lstA(), LB_RESETCONTENT, 0, 0);
        SendMessageW(w.lstB(), LB_RESETCONTENT, 0, 0);
        SendMessageW(finPanel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        clickTab(p.pid(), tabs, 1);
        bool hung = false;
        const bool shown = waitFor(
            [&] {
                if (!alive()) return hung = true;
                return currentTab(tabs) == 1 && IsWindowEnabled(w.h) && !w.panel(6).empty() &&
                       listItems(w.lstA()).size() + listItems(w.lstB()).size() == tracks;
            },
            30s);
        if (!shown || hung) {
            check(false, L"soak: visit " + std::to_wstring(visit) + L" shows a result",
                  crashDialogUp(p.pid()) ? L"the program crashed"
                  : IsWindow(w.h)        ? L"no result"
                                         : L"it ended");
            return;
        }
        ++fresh;
        const auto a = listItems(w.lstA()), b = listItems(w.lstB());
        if (visit == 1) {
            firstA = a;
            firstB = b;
            if (!wantTape.empty())
                checkEq(w.panel(6), wantTape, L"soak: the tape length of the first visit");
            checkEq(w.panel(4), totalsOf(a), L"soak: side A total");
            checkEq(w.panel(5), totalsOf(b), L"soak: side B total");
            checkEq(w.panel(6), tapeOf(a, b), L"soak: the tape length fits the sides");
        }
        if (a == firstA && b == firstB && w.panel(6) == tapeOf(a, b)) ++same;
        clickTab(p.pid(), tabs, 0);
        waitFor([&] { return !alive() || currentTab(tabs) == 0; });
    }
    check(fresh == 10 && same == 10, L"soak: ten visits, the same split each time",
          std::to_wstring(same) + L" of " + std::to_wstring(fresh));
    Sleep(500);
    check(alive(), L"soak: the program is alive after ten visits");
    pressButton(w.button(L"終了"));
    DWORD code = 1;
    check(p.waitExit(10s, &code) && code == 0, L"soak: the program ends normally");
}

// The edit page visited again and again: the bundled samples (three discs,
// both sides equal), four discs of 21 tracks (side A first, 46 minutes) and
// three discs of 24 tracks of four lengths (side B first, 60 minutes).
void soakFlow() {
    soak(samplesDir + L"\\albums.disc", 3, nullptr, nullptr, L"119.27");
    soak(writeDisc(L"soak-four.disc", randomDiscs(21, 4, 21, {}, 120, 420)), 4, L"A面優先", L"46",
         L"");
    soak(writeDisc(L"soak-few.disc", randomDiscs(24, 3, 24, {190, 245, 290, 263}, 0, 0)), 3,
         L"B面優先", L"60", L"");
}

// The about box, the version data, and the edit page without a result.
void aboutAndNoResult() {
    std::wstring disc = writeDisc(L"about.disc", "disc Mix\n4:00 3:00 5:00 2:00\n");
    Program p(exePath, disc.c_str());
    answerPrompt(need(p.waitDialog(L"ZTP", true), L"title prompt"), L"Mix");
    MainWindow w{need(p.waitMain(), L"main window")};

    pressButton(w.button(L"ﾊﾞｰｼﾞｮﾝ情報"));
    HWND about = need(p.waitTop(L"TfrmVersion", L"ﾊﾞｰｼﾞｮﾝ情報"), L"about box");
    pressButton(w.button(L"ﾊﾞｰｼﾞｮﾝ情報"));
    Sleep(300);
    check(p.topWindows(L"TfrmVersion", L"").size() == 1, L"two presses: one about box");
    RECT rc;
    GetClientRect(about, &rc);
    check(rc.right == 425 && rc.bottom == 233, L"about box client 425 x 233");
    check(findChild(about, L"Static", L"ZTP for win32 ver1.0.0.1") &&
              findChild(about, L"Static", L"Windows 95 / NT ready") &&
              findChild(about, L"Static", L"注意 :"),
          L"about box texts");
    HWND ok = findChild(about, L"Button", L"OK");
    check(ok && (GetWindowLongW(ok, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
          L"OK is the default button");
    check(findChild(about, L"Button", L"最新版") != nullptr, L"the latest-version button");
    check(IsWindowEnabled(w.h) != FALSE, L"the main window stays usable");
    pressButton(ok);
    check(waitFor([&] { return !IsWindowVisible(about); }), L"OK hides the box");
    check(IsWindow(about) != FALSE, L"the box is only hidden");
    pressButton(w.button(L"ﾊﾞｰｼﾞｮﾝ情報"));
    check(waitFor([&] { return IsWindowVisible(about) != FALSE; }),
          L"a third press shows it again");
    check(FindWindowW(L"TfrmVersion", nullptr) == about, L"the same box");
    PostMessageW(focusOf(about) ? focusOf(about) : about, WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(300);
    check(IsWindowVisible(about) != FALSE, L"Escape does nothing");
    PostMessageW(focusOf(about) ? focusOf(about) : about, WM_KEYDOWN, VK_RETURN, 0);
    check(waitFor([&] { return !IsWindowVisible(about); }), L"Enter hides the box");
    pressButton(w.button(L"ﾊﾞｰｼﾞｮﾝ情報"));
    waitFor([&] { return IsWindowVisible(about) != FALSE; });
    PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    check(waitFor([&] { return !IsWindowVisible(about); }) && IsWindow(about),
          L"the close box hides the box");

    // The version resource.
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(exePath.c_str(), &ignored);
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    bool got = size && GetFileVersionInfoW(exePath.c_str(), 0, size, info.data()) &&
               VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len);
    check(got && fixed->dwFileVersionMS == 0x10000 && fixed->dwFileVersionLS == 1 &&
              fixed->dwProductVersionMS == 0x10000 && fixed->dwProductVersionLS == 1 &&
              fixed->dwFileFlags == 0 && fixed->dwFileOS == 0x40004 && fixed->dwFileType == 1,
          L"version 1.0.0.1, flags 0, OS 0x40004, type 1");
    WORD* lang = nullptr;
    got = got && VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                reinterpret_cast<void**>(&lang), &len);
    check(got && lang[0] == 0x0411 && lang[1] == 1252, L"translation 0x0411, 1252");
    std::wstring names;
    for (auto [key, want] : {std::pair{L"FileDescription", L"ZTP"},
                             {L"FileVersion", L"1.0.0.1"},
                             {L"InternalName", L"ZTP"},
                             {L"OriginalFilename", L"ztp.exe"},
                             {L"ProductName", L"ZTP for win32"},
                             {L"ProductVersion", L"1.0.0.1"}}) {
        wchar_t* v = nullptr;
        std::wstring path = std::wstring(L"\\StringFileInfo\\041104E4\\") + key;
        if (!(VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&v), &len) &&
              std::wstring(v) == want))
            names += std::wstring(key) + L" ";
    }
    checkEq(names, std::wstring(), L"the string block 041104E4");

    // No result after a bad tape time: the moves and the save do nothing.
    clickTab(p.pid(), w.tabs(), 1);
    waitFor([&] { return !w.panel(6).empty(); });
    const auto shownA = listItems(w.lstA()), shownB = listItems(w.lstB());
    clickTab(p.pid(), w.tabs(), 0);
    waitFor([&] { return currentTab(w.tabs()) == 0; });
    pressButton(w.button(L"A面優先"));
    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    clickTab(p.pid(), w.tabs(), 1);
    HWND box = need(p.waitDialog(L"ZTP for win32", false), L"error box");
    pressButton(GetDlgItem(box, IDOK));
    waitFor([&] { return p.topWindows(L"#32770", L"").empty(); });
    check(IsWindowEnabled(w.h) != FALSE, L"the main window is enabled after the error");
    // Nothing shown as a result, and nothing to move or save.
    check(listItems(w.lstA()).empty() && listItems(w.lstB()).empty(),
          L"no result: both side lists empty", join(listItems(w.lstA())));
    checkEq({w.panel(4), w.panel(5), w.panel(6)}, {L"", L"", L""},
            L"no result: the three totals empty");
    HWND right = w.player(L"sbtTrackR"), left = w.player(L"sbtTrackL"), save = w.button(L"保存");
    check(!IsWindowEnabled(right) && !IsWindowEnabled(left) && !IsWindowEnabled(save),
          L"no result: the arrows and 保存 disabled");
    pressButton(right);
    Sleep(300);
    check(listItems(w.lstB()).empty() && p.topWindows(L"#32770", L"").empty(),
          L"no result: the arrow does nothing");
    // A good tape time: the result, and the buttons, are back.
    clickTab(p.pid(), w.tabs(), 0);
    waitFor([&] { return currentTab(w.tabs()) == 0; });
    SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"20"));
    clickTab(p.pid(), w.tabs(), 1);
    check(waitFor([&] { return !w.panel(6).empty(); }), L"good tape time again: a result");
    check(listItems(w.lstA()).size() + listItems(w.lstB()).size() == shownA.size() + shownB.size(),
          L"good tape time again: all tracks on the sides");
    check(IsWindowEnabled(right) && IsWindowEnabled(left) && IsWindowEnabled(save),
          L"good tape time again: the arrows and 保存 enabled");
    pressButton(w.button(L"終了"));
    check(p.waitExit(), L"the program ends");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        out(L"usage: ztp_e2e ZTP_EXE SCRATCH_DIR [flow]");
        return 2;
    }
    exePath = argv[1];
    scratch = argv[2];
    if (const wchar_t* samples = _wgetenv(L"ZTP_E2E_SAMPLES")) samplesDir = samples;
    CreateDirectoryW(scratch.c_str(), nullptr);
    std::wstring only = argc > 3 ? argv[3] : L"";
    struct Flow {
        const wchar_t* name;
        void (*fn)();
    } flows[] = {{L"fatal", fatalStart},       {L"collect", collectTracks}, {L"empty", emptyDrive},
                 {L"edit", editPage},          {L"keys", tabOrder},         {L"road", roadOfATape},
                 {L"about", aboutAndNoResult}, {L"soak", soakFlow}};
    for (auto& f : flows)
        if (only.empty() || only == f.name) runFlow(f.name, f.fn);
    return summary();
}
