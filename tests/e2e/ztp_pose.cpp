// Poses a ztp.exe started elsewhere (in the same virtual desktop) for a
// screenshot and writes its window rectangle "W H X Y" to a file
// (tools/wine-screenshots.sh).
//   ztp_pose.exe settings|edit|edit-none|about|splash RECT_FILE
#include <windows.h>

#include <string>

#include "driver.h"
#include "main_window.h"

using namespace e2e;

namespace {

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
    if (page == L"splash") {
        // The title prompt over the splash screen, moved down to show both.
        HWND splash = FindWindowW(L"TSplashScreen", nullptr);
        RECT a{}, b{};
        if (splash) GetWindowRect(splash, &b);
        GetWindowRect(prompt, &a);
        SetWindowPos(prompt, nullptr, a.left, b.bottom + 8, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(300);
        GetWindowRect(prompt, &a);
        RECT u;
        UnionRect(&u, &a, &b);
        InflateRect(&u, 16, 16);
        Sleep(800);
        writeRect(rectFile, u);
        return 0;
    }
    answerPrompt(prompt, L"朝のうた");
    HWND main = nullptr;
    waitFor([&] {
        return (main = FindWindowW(L"TfrmMain", L"ZTP for win32")) && IsWindowVisible(main);
    });
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
    HWND shot = main;
    if (page == L"edit") {
        clickTab(pid, w.tabs(), 1);
        waitFor([&] { return !w.panel(6).empty(); });
        // One track moved from side A to side B, one entry highlighted on each side.
        setListSelection(w.lstA(), {1});
        size_t nB = listItems(w.lstB()).size();
        pressButton(w.player(L"sbtTrackR"));
        waitFor([&] { return listItems(w.lstB()).size() == nB + 1; });
        setListSelection(w.lstA(), {2});
        setListSelection(w.lstB(), {int(nB)});
    } else if (page == L"edit-none") {
        // The edit page after a tape time that is not an integer.
        SendMessageW(w.edtTapeTime(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"4６"));
        clickTab(pid, w.tabs(), 1);
        HWND box = dialog(L"ZTP for win32", false);
        if (!box) return 1;
        pressButton(GetDlgItem(box, IDOK));
        waitFor([&] { return !IsWindow(box); });
    } else if (page == L"about") {
        pressButton(w.button(L"ﾊﾞｰｼﾞｮﾝ情報"));
        waitFor(
            [&] { return (shot = FindWindowW(L"TfrmVersion", nullptr)) && IsWindowVisible(shot); });
    } else {
        setListSelection(w.lstTrackSelect(), {2, 3});
    }
    SetForegroundWindow(shot);
    Sleep(800);
    writeRect(rectFile, shot);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    return pose(argv[1], argv[2]);
}
