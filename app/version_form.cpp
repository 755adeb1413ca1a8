#include "version_form.h"

#include <algorithm>

#include "product.h"
#include "shell_open.h"

namespace ztp {
namespace {

fw::PanelStyle loweredPanel() {
    fw::PanelStyle s;
    s.background = GetSysColor(COLOR_BTNFACE);
    s.textColor = RGB(0, 0, 0);
    s.font = fw::kFormFont;
    return s;
}

}  // namespace

TfrmVersion* frmVersion = nullptr;

TfrmVersion::TfrmVersion(HWND owner)
    : fw::Form(
          {L"TfrmVersion", L"ﾊﾞｰｼﾞｮﾝ情報", 425, 233, WS_POPUP | WS_CAPTION | WS_SYSMENU, owner}),
      Image1(*this, {{8, 8, 32, 32}}), Panel1(*this, {{48, 8, 285, 57}, L"", loweredPanel()}),
      ProductName(Panel1, {{80, 4, 125, 12}, product::kNameAndVersion}),
      UserSys(Panel1, {{82, 18, 121, 12}, L"Windows 95 / NT ready"}),
      Maker(Panel1, {{45, 40, 195, 12}, product::kCopyright}),
      Label3(*this, {{48, 168, 30, 12}, L"注意 :"}),
      Label2(*this, {{48, 184, 285, 41},
                     L"本ソフトウェアの使用により生じたいかなる損害についても、作者は一切の責任を"
                     L"負いません。本ソフトウェアの転載・再配布はご遠慮下さい。",
                     true}),
      OKButton(*this, {{342, 8, 75, 21}, L"OK", true}),
      btnGetNewVersion(*this, {{342, 32, 75, 21}, L"最新版"}) {
    Image1.loadIcon(L"MAINICON", GetSysColor(COLOR_BTNFACE));
    OKButton.onClick = [this] { OKButtonClick(); };
    btnGetNewVersion.onClick = [this] { btnGetNewVersionClick(); };
    // The product lines are centred on the panel and grow with their text
    // where the font is wider than planned.
    for (fw::Label* l : {&ProductName, &UserSys, &Maker}) {
        RECT r;
        GetWindowRect(l->handle(), &r);
        MapWindowPoints(nullptr, Panel1.handle(), reinterpret_cast<POINT*>(&r), 2);
        const int w = std::min(l->textWidth() + 2, 285 - 8);
        if (w > r.right - r.left)
            SetWindowPos(l->handle(), nullptr, 285 / 2 - w / 2, r.top, w, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    setTabOrder({&OKButton, &btnGetNewVersion});
    setDefaultButton(&OKButton);
}

void TfrmVersion::showBox() {
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    BringWindowToTop(handle());
}

void TfrmVersion::OKButtonClick() { setVisible(false); }

void TfrmVersion::btnGetNewVersionClick() {
    // The browser runs as the user signed in, even if this program does not.
    fw::shellOpen(handle(), product::kWebPage, SW_SHOW);
}

}  // namespace ztp
