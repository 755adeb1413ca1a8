#include "splash.h"

#include "messages.h"

namespace ztp {
namespace {

fw::PanelStyle raisedPanel() {
    fw::PanelStyle s;
    s.background = GetSysColor(COLOR_BTNFACE);
    s.textColor = GetSysColor(COLOR_BTNTEXT);
    s.font = fw::kFormFont;
    s.raised = true;
    return s;
}

}  // namespace

TSplashScreen* SplashScreen = nullptr;

TSplashScreen::TSplashScreen()
    : fw::Form(
          {L"TSplashScreen", L"", 180, 85, WS_POPUP | WS_CLIPCHILDREN, nullptr, WS_EX_TOOLWINDOW}),
      Panel1(*this, {{0, 0, 180, 85}, L"", raisedPanel()}), Image1(Panel1, {{4, 4, 172, 77}}) {
    Image1.loadBitmap(L"SPLASH");
}

void TSplashScreen::showNow() {
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    UpdateWindow(handle());
}

void TSplashScreen::release() { PostMessageW(handle(), kMsgReleaseSplash, 0, 0); }

LRESULT TSplashScreen::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgReleaseSplash) {
        if (SplashScreen == this) SplashScreen = nullptr;
        DestroyWindow(handle());
        return 0;
    }
    return fw::Form::handleMessage(msg, wp, lp);
}

}  // namespace ztp
