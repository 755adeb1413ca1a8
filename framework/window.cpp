#include "window.h"

#include <cwctype>
#include <set>
#include <utility>

#include "application.h"
#include "controls.h"
#include "exceptions.h"
#include "gdi.h"

namespace fw {
namespace {

constexpr const wchar_t* kProp = L"fw.Window";
constexpr const wchar_t* kFontProp = L"fw.Font";

bool isReflected(UINT msg, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: return lp != 0;
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX: return true;
        default: return false;
    }
}

bool hasClass(HWND h, const wchar_t* name) {
    wchar_t cls[16] = {};
    if (h) GetClassNameW(h, cls, 16);
    return lstrcmpiW(cls, name) == 0;
}

bool isPushButton(HWND h) {
    LONG type = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
    return hasClass(h, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Clicks a visible, enabled button; false when there is none such.
bool press(HWND button) {
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    SendMessageW(button, BM_CLICK, 0, 0);
    return true;
}

// The letter or digit a caption underlines ("&N" in "Next (&N)"), upper
// case; 0 when there is none.
wchar_t mnemonic(const std::wstring& caption) {
    for (const wchar_t* c = caption.c_str(); *c; ++c)
        if (*c == L'&') {
            if (c[1] != L'&') return wchar_t(towupper(c[1]));
            ++c;  // "&&" is an ampersand
        }
    return 0;
}

// The visible, enabled push button among the form's controls whose caption
// underlines key.
HWND mnemonicButton(HWND form, WPARAM key) {
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return nullptr;
    struct Search {
        WPARAM key;
        HWND found;
    } search{key, nullptr};
    EnumChildWindows(
        form,
        [](HWND h, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (!isPushButton(h) || !IsWindowVisible(h) || !IsWindowEnabled(h) ||
                mnemonic(windowText(h)) != s.key)
                return TRUE;
            s.found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HFONT font(const FontSpec& desc) {
    static std::vector<std::pair<FontSpec, HFONT>> cache;
    for (auto& [s, f] : cache)
        if (s == desc) return f;
    HFONT f = CreateFontW(-desc.height, 0, 0, 0, desc.bold ? FW_BOLD : FW_NORMAL,
                          desc.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | desc.family, desc.face.c_str());
    if (!f) throwLastError("CreateFontW");
    cache.emplace_back(desc, f);
    return f;
}

SIZE textExtent(HFONT f, const std::wstring& text) {
    ScreenDC dc;
    Selection font(dc.get(), f);
    SIZE sz{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), int(text.size()), &sz);
    return sz;
}

void drawSolid(HDC dc, COLORREF c, const std::function<void()>& draw) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(c));
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, c));
    Selection withBrush(dc, brush.get()), withPen(dc, pen.get());
    draw();
}

std::wstring windowText(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

Window::~Window() {
    if (hwnd_) {
        HWND h = hwnd_;
        DestroyWindow(h);
        if (hwnd_) detach();
    }
}

Window* Window::fromHandle(HWND h) {
    return h ? static_cast<Window*>(GetPropW(h, kProp)) : nullptr;
}

void Window::attach(HWND h) {
    hwnd_ = h;
    SetPropW(h, kProp, this);
}

void Window::detach() {
    if (!hwnd_) return;
    RemovePropW(hwnd_, kProp);
    RemovePropW(hwnd_, kFontProp);
    if (systemProc_)
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
    systemProc_ = nullptr;
    hwnd_ = nullptr;
}

void Window::createOwn(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                       const Bounds& b, const std::wstring& text, UINT classStyle,
                       HBRUSH background) {
    static std::set<std::wstring> registered;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (!registered.count(className)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = &Window::windowProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        wc.hIcon = LoadIconW(inst, L"MAINICON");
        if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        if (!RegisterClassExW(&wc)) throwLastError("RegisterClassExW");
        registered.insert(className);
    }
    HWND h = CreateWindowExW(exStyle, className, text.c_str(), style, b.x, b.y, b.w, b.h, parent,
                             nullptr, inst, this);
    if (!h) throwLastError("CreateWindowExW");
}

void Window::createSystem(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                          const Bounds& b, const std::wstring& text) {
    static int nextId = 100;
    HWND h = CreateWindowExW(exStyle, className, text.c_str(), style, b.x, b.y, b.w, b.h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)),
                             GetModuleHandleW(nullptr), nullptr);
    if (!h) throwLastError("CreateWindowExW");
    attach(h);
    systemProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::windowProc)));
    if (parent) setFont(reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)));
}

LRESULT CALLBACK Window::windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = fromHandle(h);
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        if (self) self->attach(h);
    }
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    LRESULT result = 0;
    try {
        result = self->handleMessage(msg, wp, lp);
    } catch (...) {
        app().handleCurrentException();
        result = 0;
    }
    if (msg == WM_NCDESTROY) {
        if (Window* still = fromHandle(h)) still->detach();
    }
    return result;
}

LRESULT Window::defaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (systemProc_) return CallWindowProcW(systemProc_, hwnd_, msg, wp, lp);
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Window::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SETCURSOR:
            if (app().cursor().current() == Cursor::HourGlass) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_SETFONT:
            if (!systemProc_) {
                SetPropW(hwnd_, kFontProp, reinterpret_cast<HANDLE>(wp));
                if (LOWORD(lp)) invalidate();
                return 0;
            }
            break;
        case WM_GETFONT:
            if (!systemProc_) return reinterpret_cast<LRESULT>(GetPropW(hwnd_, kFontProp));
            break;
    }
    return defaultProc(msg, wp, lp);
}

bool Window::reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND from = nullptr;
    switch (msg) {
        case WM_COMMAND: from = reinterpret_cast<HWND>(lp); break;
        case WM_NOTIFY: from = reinterpret_cast<NMHDR*>(lp)->hwndFrom; break;
        case WM_DRAWITEM: from = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem; break;
        default: from = reinterpret_cast<HWND>(lp); break;
    }
    Window* control = fromHandle(from);
    if (!control || control == this) return false;
    switch (msg) {
        case WM_COMMAND: result = 0; return control->onCommand(HIWORD(wp));
        case WM_NOTIFY: return control->onNotify(reinterpret_cast<NMHDR*>(lp), result);
        case WM_DRAWITEM:
            result = TRUE;
            return control->onDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        default:
            if (HBRUSH b = control->onCtlColor(reinterpret_cast<HDC>(wp))) {
                result = reinterpret_cast<LRESULT>(b);
                return true;
            }
            return false;
    }
}

void Window::setText(const std::wstring& text) {
    SetWindowTextW(hwnd_, text.c_str());
    if (!systemProc_) invalidate();
}

std::wstring Window::text() const { return windowText(hwnd_); }

void Window::setEnabled(bool on) {
    EnableWindow(hwnd_, on ? TRUE : FALSE);
    invalidate();
}
bool Window::enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Window::setVisible(bool on) { ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE); }
bool Window::visible() const { return IsWindowVisible(hwnd_) != FALSE; }
void Window::setFont(HFONT f) {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}
void Window::setFocus() { SetFocus(hwnd_); }
void Window::invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Window::canFocus() const { return hwnd_ && IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_); }

LRESULT Container::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (isReflected(msg, lp)) {
        HWND root = GetAncestor(handle(), GA_ROOT);
        if (root && root != handle()) return SendMessageW(root, msg, wp, lp);
    }
    return Window::handleMessage(msg, wp, lp);
}

Form::~Form() { app().removeFilter(this); }

Form::Form(const FormProps& p) {
    RECT r{0, 0, p.clientWidth, p.clientHeight};
    AdjustWindowRectEx(&r, p.style, FALSE, 0);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (p.owner) GetWindowRect(p.owner, &area);
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    createOwn(p.className, p.style, p.exStyle | (p.owner ? WS_EX_DLGMODALFRAME : 0), p.owner,
              {x, y, w, h}, p.caption, CS_DBLCLKS);
    setFont(font(p.font));
    app().addFilter(this);
}

void Form::setDefaultButton(Window* b) {
    auto mark = [](Window* w, bool on) {
        if (w && isPushButton(w->handle()))
            SendMessageW(w->handle(), BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    };
    if (defaultButton_ != b) mark(defaultButton_, false);
    defaultButton_ = b;
    mark(b, true);
}

void Form::show() {
    ShowWindow(handle(), SW_SHOW);
    UpdateWindow(handle());
}

void Form::close() { PostMessageW(handle(), WM_CLOSE, 0, 0); }

bool Form::filterMessage(const MSG& msg) {
    if (!IsWindowEnabled(handle())) return false;
    return navigate(msg);
}

bool Form::navigate(const MSG& msg) {
    if (msg.hwnd != handle() && !IsChild(handle(), msg.hwnd)) return false;
    if (msg.message == WM_SYSKEYDOWN) return press(mnemonicButton(handle(), msg.wParam));
    if (msg.message != WM_KEYDOWN) return false;
    if (Window* target = fromHandle(msg.hwnd); target && target->wantsKey(msg.wParam)) return false;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    if (pageKeys_ && ctrl && !alt &&
        (msg.wParam == VK_TAB || msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR)) {
        bool back = msg.wParam == VK_PRIOR || (msg.wParam == VK_TAB && shift);
        pageKeys_->turn(back ? -1 : 1);
        return true;
    }
    if (msg.wParam == VK_TAB && !ctrl && !alt) {
        std::vector<Window*> stops;
        for (Window* w : tabOrder_)
            if (w->canFocus()) stops.push_back(w);
        if (stops.empty()) return true;
        HWND focus = GetFocus();
        int at = -1;
        for (size_t i = 0; i < stops.size(); ++i)
            if (stops[i]->handle() == focus || IsChild(stops[i]->handle(), focus)) at = int(i);
        bool back = shift;
        int n = int(stops.size());
        int next = at < 0 ? (back ? n - 1 : 0) : (at + (back ? n - 1 : 1)) % n;
        Window* target = stops[size_t(next)];
        target->setFocus();
        if (hasClass(target->handle(), L"Edit")) SendMessageW(target->handle(), EM_SETSEL, 0, -1);
        return true;
    }
    if (msg.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        if (isPushButton(focus)) {
            press(focus);
            return true;
        }
        if (!defaultButton_) return false;
        press(defaultButton_->handle());
        return true;
    }
    if (msg.wParam == VK_ESCAPE && cancelButton_) {
        press(cancelButton_->handle());
        return true;
    }
    if (msg.wParam == VK_UP || msg.wParam == VK_DOWN || msg.wParam == VK_LEFT ||
        msg.wParam == VK_RIGHT) {
        HWND focus = GetFocus();
        if (!focus) return false;
        if (!hasClass(focus, L"Button") ||
            (GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK) != BS_AUTORADIOBUTTON)
            return false;
        bool back = msg.wParam == VK_UP || msg.wParam == VK_LEFT;
        HWND next = GetNextDlgGroupItem(GetParent(focus), focus, back);
        if (next && next != focus) {
            SetFocus(next);
            SendMessageW(next, BM_CLICK, 0, 0);
        }
        return true;
    }
    return false;
}

LRESULT Form::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (isReflected(msg, lp)) {
        LRESULT result = 0;
        if (reflect(msg, wp, lp, result)) return result;
        return defaultProc(msg, wp, lp);
    }
    switch (msg) {
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f && IsChild(handle(), f)) lastFocus_ = f;
            } else if (!HIWORD(wp)) {
                if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)) {
                    SetFocus(lastFocus_);
                } else {
                    for (Window* w : tabOrder_)
                        if (w->canFocus()) {
                            w->setFocus();
                            break;
                        }
                }
                return 0;
            }
            break;
        case WM_CLOSE:
            switch (onClose()) {
                case CloseAction::Destroy: break;
                case CloseAction::Hide: setVisible(false); return 0;
                case CloseAction::Ignore: return 0;
            }
            break;
        case WM_DESTROY:
            if (app().mainForm() == this) PostQuitMessage(0);
            break;
    }
    return Window::handleMessage(msg, wp, lp);
}

}  // namespace fw
