#include "splash.h"

namespace ztp {
namespace {

constexpr UINT kRelease = WM_APP + 20;

fw::PanelStyle raisedPanel() {
    fw::PanelStyle s;
    s.background = GetSysColor(COLOR_BTNFACE);
    s.textColor = GetSysColor(COLOR_BTNTEXT);
    s.font = {L"ＭＳ Ｐゴシック", 12, false};
    s.raised = true;
    return s;
}

}  // namespace

TSplashScreen* SplashScreen = nullptr;

TSplashScreen::TSplashScreen()
    : fw::Form({L"TSplashScreen", L"", 180, 85, WS_POPUP | WS_CLIPCHILDREN,
                {L"ＭＳ Ｐゴシック", 12, false}, nullptr, WS_EX_TOOLWINDOW}),
      Panel1(*this, {{0, 0, 180, 85}, L"", raisedPanel()}),
      Image1(Panel1, {{4, 4, 172, 77}}) {
    Image1.loadBitmap(L"SPLASH");
}

void TSplashScreen::showNow() {
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    UpdateWindow(handle());
}

void TSplashScreen::release() { PostMessageW(handle(), kRelease, 0, 0); }

LRESULT TSplashScreen::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRelease) {
        if (SplashScreen == this) SplashScreen = nullptr;
        DestroyWindow(handle());
        return 0;
    }
    return fw::Form::handleMessage(msg, wp, lp);
}

}  // namespace ztp
