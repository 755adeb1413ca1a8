// Poses a setup.exe started elsewhere (in the same virtual desktop) on a
// page for a screenshot and writes the wizard's rectangle "W H X Y" to a
// file (tools/wine-setup-screenshots.sh).
//   setup_pose.exe PAGE RECT_FILE   (PAGE 0 to 4; 4 installs into the default folder)
#include <windows.h>

#include <string>

#include "driver.h"

using namespace e2e;

namespace {

const std::wstring kCaption = L"ZTP for win32 Setup";

int pose(int pageIndex, const std::wstring& rectFile) {
    HWND h = nullptr;
    waitFor([&] { return (h = FindWindowW(L"TQV_Inst1", kCaption.c_str())) && IsWindowVisible(h); },
            20s);
    if (!h) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    const wchar_t* pages[] = {L"はじめに (1/4)", L"インストール先の指定 (2/4)",
                              L"セットアップオプションの選択 (3/4)", L"セットアップ中... (4/4)",
                              L"セットアップ完了"};
    auto page = [&] { return tabCaption(pid, findChild(h, L"SysTabControl32")); };
    for (int i = 0; i < pageIndex; ++i) {
        if (i == 2) {
            HWND desk = findChild(h, L"Button", L"デスクトップにショートカットを作成");
            SendMessageW(desk, BM_CLICK, 0, 0);
        }
        pressButton(findChild(h, L"Button", L"次へ (&N) >"));
        waitFor([&] { return page() == pages[i + 1]; }, 10s);
    }
    SetForegroundWindow(h);
    if (pageIndex == 2) {
        // The tip of the first option, as the mouse would show it.
        HWND chk = findChild(h, L"Button", L"スタートアップに登録");
        RECT r;
        GetWindowRect(chk, &r);
        SetCursorPos(r.left + 40, (r.top + r.bottom) / 2);
    }
    Sleep(1200);
    writeRect(rectFile, h);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    return pose(_wtoi(argv[1]), argv[2]);
}
