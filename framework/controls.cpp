#include "controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "gdi.h"

namespace fw {
namespace {

// Answers WM_PAINT by drawing the whole control with draw(dc).
template <class Draw>
LRESULT paintWith(HWND h, Draw draw) {
    PaintScope paint(h);
    draw(paint.dc());
    return 0;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

void fillRect(HDC dc, const RECT& r, COLORREF c) {
    SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// Lowered frame: shadow on the top and left, highlight on the bottom and
// right; a raised frame the other way round.
void loweredFrame(HDC dc, RECT& r, int width, bool raised = false) {
    COLORREF dark = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (raised) std::swap(dark, light);
    for (int i = 0; i < width; ++i) {
        fillRect(dc, {r.left, r.top, r.right - 1, r.top + 1}, dark);
        fillRect(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, dark);
        fillRect(dc, {r.left, r.bottom - 1, r.right, r.bottom}, light);
        fillRect(dc, {r.right - 1, r.top, r.right, r.bottom}, light);
        InflateRect(&r, -1, -1);
    }
}

}  // namespace

// --- Button, RadioButton, CheckBox

Button::Button(Window& parent, const ButtonProps& p)
    : Button(parent, p.bounds, p.caption,
             WS_TABSTOP | (p.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)) {}

Button::Button(Window& parent, const Bounds& b, const std::wstring& caption, DWORD style) {
    createSystem(L"BUTTON", kChild | style, 0, parent.handle(), b, caption);
}

bool Button::checked() const { return SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Button::setChecked(bool on) {
    SendMessageW(handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Button::onCommand(WORD code) {
    if (code == BN_CLICKED && onClick) onClick();
    return true;
}

RadioButton::RadioButton(Window& parent, const RadioButtonProps& p)
    : Button(parent, p.bounds, p.caption, BS_AUTORADIOBUTTON | (p.firstOfGroup ? WS_GROUP : 0)) {
    setChecked(p.checked);
}

bool RadioButton::canFocus() const {
    if (!Window::canFocus()) return false;
    if (checked()) return true;
    // With none of its group checked, the group's first button is the stop.
    HWND parent = GetParent(handle());
    for (HWND h = GetNextDlgGroupItem(parent, handle(), FALSE); h && h != handle();
         h = GetNextDlgGroupItem(parent, h, FALSE))
        if (SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) return false;
    return (GetWindowLongW(handle(), GWL_STYLE) & WS_GROUP) != 0;
}

CheckBox::CheckBox(Window& parent, const CheckBoxProps& p)
    : Button(parent, p.bounds, p.caption, WS_TABSTOP | BS_AUTOCHECKBOX) {
    setChecked(p.checked);
}

// --- Edit

Edit::Edit(Window& parent, const EditProps& p) {
    const DWORD style = p.readOnlyText ? WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL
                                       : ES_AUTOHSCROLL | WS_GROUP;
    createSystem(L"EDIT", kChild | WS_TABSTOP | style, WS_EX_CLIENTEDGE, parent.handle(), p.bounds,
                 p.text);
    if (p.maxLength > 0) SendMessageW(handle(), EM_LIMITTEXT, WPARAM(p.maxLength), 0);
}

// --- Label

Label::Label(Window& parent, const LabelProps& p) {
    createSystem(L"STATIC", kChild | SS_NOPREFIX | (p.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP), 0,
                 parent.handle(), p.bounds, p.caption);
    if (p.font) setFont(font(*p.font));
}

int Label::textWidth() const {
    return textExtent(reinterpret_cast<HFONT>(SendMessageW(handle(), WM_GETFONT, 0, 0)), text()).cx;
}

// --- Panel

Panel::Panel(Window& parent, const PanelProps& p) : style_(p.style) {
    createOwn(L"FwPanel", kChild | WS_CLIPCHILDREN, 0, parent.handle(), p.bounds, p.caption,
              CS_HREDRAW | CS_VREDRAW, nullptr);
    setFont(font(style_.font));
}

void Panel::paint(HDC dc) {
    RECT r;
    GetClientRect(handle(), &r);
    loweredFrame(dc, r, style_.bevelWidth, style_.raised);
    fillRect(dc, r, style_.background);
    Selection font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(handle(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style_.textColor);
    std::wstring t = text();
    DrawTextW(dc, t.c_str(), int(t.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (style_.centred ? DT_CENTER : DT_LEFT));
}

LRESULT Panel::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: return paintWith(handle(), [&](HDC dc) { paint(dc); });
        case WM_ERASEBKGND: return TRUE;
        case WM_SETTEXT: {
            LRESULT r = Window::handleMessage(msg, wp, lp);
            invalidate();
            return r;
        }
    }
    return Window::handleMessage(msg, wp, lp);
}

// --- GroupBox

GroupBox::GroupBox(Window& parent, const GroupBoxProps& p) {
    createOwn(L"FwGroupBox", kChild | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, parent.handle(),
              p.bounds, p.caption, CS_HREDRAW | CS_VREDRAW);
    setFont(reinterpret_cast<HFONT>(SendMessageW(parent.handle(), WM_GETFONT, 0, 0)));
}

LRESULT GroupBox::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) return paintWith(handle(), [&](HDC dc) { paint(dc); });
    return Container::handleMessage(msg, wp, lp);
}

void GroupBox::paint(HDC dc) {
    RECT r;
    GetClientRect(handle(), &r);
    Selection font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(handle(), WM_GETFONT, 0, 0)));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    RECT frame = r;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    std::wstring t = text();
    if (!t.empty()) {
        SIZE sz;
        GetTextExtentPoint32W(dc, t.c_str(), int(t.size()), &sz);
        RECT tr{8, 0, 8 + sz.cx + 2, tm.tmHeight};
        fillRect(dc, tr, GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        tr.left += 1;
        DrawTextW(dc, t.c_str(), int(t.size()), &tr, DT_SINGLELINE | DT_NOPREFIX);
    }
}

// --- Bevel

Bevel::Bevel(Window& parent, const BevelProps& p) {
    createOwn(L"FwBevel", kChild, 0, parent.handle(), p.bounds, L"", CS_HREDRAW | CS_VREDRAW);
}

LRESULT Bevel::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT)
        return paintWith(handle(), [&](HDC dc) {
            RECT r;
            GetClientRect(handle(), &r);
            if (r.bottom <= 1 || r.right <= 1) fillRect(dc, r, GetSysColor(COLOR_BTNSHADOW));
            else loweredFrame(dc, r, 1);
        });
    return Window::handleMessage(msg, wp, lp);
}

// --- ListBox

ListBox::ListBox(Window& parent, const ListBoxProps& p) {
    createSystem(L"LISTBOX",
                 kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                     (p.multiSelect ? LBS_EXTENDEDSEL : 0) | (p.notify ? LBS_NOTIFY : 0),
                 WS_EX_CLIENTEDGE, parent.handle(), p.bounds, L"");
    if (p.font) setFont(font(*p.font));
    if (p.itemHeight > 0) SendMessageW(handle(), LB_SETITEMHEIGHT, 0, p.itemHeight);
}

void ListBox::clear() { SendMessageW(handle(), LB_RESETCONTENT, 0, 0); }

void ListBox::add(const std::wstring& text) {
    SendMessageW(handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBox::select(int i) {
    SendMessageW(handle(), LB_SETCURSEL, WPARAM(i), 0);
    UpdateWindow(handle());
}

void ListBox::showModel() {
    if (!model_) return;
    SendMessageW(handle(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(handle(), LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < model_->count(); ++i) {
        std::wstring t = model_->text(i);
        SendMessageW(handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
        if (model_->selected(i)) SendMessageW(handle(), LB_SETSEL, TRUE, i);
    }
    SendMessageW(handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle(), nullptr, TRUE);
}

void ListBox::syncModel() {
    if (!model_) return;
    SendMessageW(handle(), WM_SETREDRAW, FALSE, 0);
    int i = 0, j = 0;
    while (i < count()) {
        if (j < model_->count() && itemText(i) == model_->text(j)) {
            ++i;
            ++j;
        } else {
            SendMessageW(handle(), LB_DELETESTRING, WPARAM(i), 0);
        }
    }
    for (; j < model_->count(); ++j) {
        std::wstring t = model_->text(j);
        LRESULT at = SendMessageW(handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
        if (model_->selected(j) && at >= 0) SendMessageW(handle(), LB_SETSEL, TRUE, at);
    }
    SendMessageW(handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle(), nullptr, TRUE);
    readSelection();
}

void ListBox::readSelection() {
    if (!model_) return;
    int n = std::min(count(), model_->count());
    for (int i = 0; i < n; ++i)
        model_->setSelected(i, SendMessageW(handle(), LB_GETSEL, WPARAM(i), 0) > 0);
}

int ListBox::count() const { return int(SendMessageW(handle(), LB_GETCOUNT, 0, 0)); }

std::wstring ListBox::itemText(int i) const {
    LRESULT n = SendMessageW(handle(), LB_GETTEXTLEN, WPARAM(i), 0);
    if (n < 0) return {};
    std::wstring s(size_t(n) + 1, L'\0');
    n = SendMessageW(handle(), LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(size_t(n < 0 ? 0 : n));
    return s;
}

// --- SpeedButton

SpeedButton::SpeedButton(Window& parent, const SpeedButtonProps& p) : glyph_(p.glyph) {
    createOwn(L"FwSpeedButton", kChild, 0, parent.handle(), p.bounds, p.name,
              CS_HREDRAW | CS_VREDRAW);
}

void SpeedButton::setFocusFrame(bool on) {
    if (focusFrame_ != on) {
        focusFrame_ = on;
        invalidate();
    }
}

void SpeedButton::click() {
    if (enabled() && onClick) onClick();
}

void SpeedButton::paint(HDC dc) {
    RECT r;
    GetClientRect(handle(), &r);
    fillRect(dc, r, GetSysColor(COLOR_BTNFACE));
    RECT edge = r;
    DrawEdge(dc, &edge, down_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    RECT inner = r;
    if (down_) OffsetRect(&inner, 1, 1);
    if (glyph_) glyph_(dc, inner, enabled());
    if (focusFrame_) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

LRESULT SpeedButton::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: return paintWith(handle(), [&](HDC dc) { paint(dc); });
        case WM_ERASEBKGND: return TRUE;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!enabled()) return 0;
            tracking_ = down_ = true;
            SetCapture(handle());
            invalidate();
            return 0;
        case WM_MOUSEMOVE:
            if (tracking_) {
                POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                RECT r;
                GetClientRect(handle(), &r);
                bool inside = PtInRect(&r, pt) != FALSE;
                if (inside != down_) {
                    down_ = inside;
                    invalidate();
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (tracking_) {
                bool fire = down_;
                tracking_ = down_ = false;
                ReleaseCapture();
                invalidate();
                if (fire) click();
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (tracking_) {
                tracking_ = down_ = false;
                invalidate();
            }
            return 0;
        case BM_CLICK: click(); return 0;
        case WM_ENABLE: invalidate(); break;
    }
    return Window::handleMessage(msg, wp, lp);
}

// --- TabSheet, TabPages, PageControl

TabSheet::TabSheet(HWND tabControl, const Bounds& b) {
    createOwn(L"FwTabSheet", WS_CHILD | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, tabControl, b, L"");
    setFont(reinterpret_cast<HFONT>(SendMessageW(tabControl, WM_GETFONT, 0, 0)));
}

TabPages::TabPages(Window& parent, const Bounds& b, DWORD style) {
    createSystem(WC_TABCONTROLW, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                 parent.handle(), b, L"");
}

void TabPages::insertTab(int at, const std::wstring& caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring t = caption;
    item.pszText = t.data();
    SendMessageW(handle(), TCM_INSERTITEMW, WPARAM(at), reinterpret_cast<LPARAM>(&item));
}

TabSheet& TabPages::addSheet() {
    RECT r;
    GetClientRect(handle(), &r);
    SendMessageW(handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    pages_.push_back(std::make_unique<TabSheet>(
        handle(), Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top}));
    return *pages_.back();
}

void TabPages::showPage(int index) {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (int(i) == index) pages_[i]->setVisible(true);
    for (size_t i = 0; i < pages_.size(); ++i)
        if (int(i) != index) {
            HWND focus = GetFocus();
            if (focus && IsChild(pages_[i]->handle(), focus)) SetFocus(handle());
            pages_[i]->setVisible(false);
        }
}

PageControl::PageControl(Window& parent, const PageControlProps& p)
    : TabPages(parent, p.bounds, kChild | WS_TABSTOP) {}

TabSheet& PageControl::addPage(const std::wstring& caption) {
    insertTab(int(pageCount()), caption);
    TabSheet& sheet = addSheet();
    showPage(activeIndex());
    return sheet;
}

int PageControl::activeIndex() const { return int(SendMessageW(handle(), TCM_GETCURSEL, 0, 0)); }

void PageControl::turn(int step) {
    const int n = int(pageCount());
    if (n < 2) return;
    const int at = activeIndex();
    SendMessageW(handle(), TCM_SETCURSEL, WPARAM(((at < 0 ? 0 : at) + step % n + n) % n), 0);
    changed();
}

void PageControl::changed() {
    showPage(activeIndex());
    if (onChange) onChange();
}

bool PageControl::onNotify(NMHDR* hdr, LRESULT& result) {
    result = 0;
    if (hdr->code == TCN_SELCHANGE) {
        changed();
        return true;
    }
    return false;
}

}  // namespace fw
