#include "tooltip.h"

#include <commctrl.h>

#include "exceptions.h"

namespace fw {

ToolTip::ToolTip(Window& form) : form_(form.handle()) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, form_, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    if (!tip_) throwLastError("CreateWindowExW");
    HFONT f = reinterpret_cast<HFONT>(SendMessageW(form_, WM_GETFONT, 0, 0));
    if (f) SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
}

ToolTip::~ToolTip() {
    if (IsWindow(tip_)) DestroyWindow(tip_);
}

void ToolTip::add(Window& control, const std::wstring& text) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = form_;
    info.uId = reinterpret_cast<UINT_PTR>(control.handle());
    std::wstring t = text;
    info.lpszText = t.data();
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace fw
