// The main window of ztp.exe as the end-to-end programs see it from outside.
#pragma once
#include <windows.h>

#include <string>

#include "driver.h"

namespace e2e {

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
    std::wstring lblTotalTracks() const {
        return windowText(nextSibling(findChild(h, L"Static", L"総トラック数 :")));
    }
    std::wstring lblTotalTime() const {
        return windowText(nextSibling(findChild(h, L"Static", L"総時間 :")));
    }
    HWND player(const std::wstring& name) const { return findChild(h, L"FwSpeedButton", name); }
    HWND edtTapeTime() const { return findChild(h, L"Edit"); }
};

}  // namespace e2e
