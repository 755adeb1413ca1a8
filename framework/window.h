// Windows owned by C++ objects: one window procedure for all of them, which
// dispatches to handleMessage and catches every exception there.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "application.h"

namespace fw {

class PageControl;

struct Bounds {
    int x = 0, y = 0, w = 0, h = 0;
};

// A font by face name and character height in pixels (negative lfHeight);
// family is the pitch and family's family part (FF_ROMAN and the like).
struct FontSpec {
    std::wstring face;
    int height = 12;
    bool bold = false;
    bool italic = false;
    BYTE family = FF_DONTCARE;
    bool operator==(const FontSpec&) const = default;
};

// The font of the programs' forms and of the controls on them.
inline const FontSpec kFormFont{L"ＭＳ Ｐゴシック", 12, false};

// Fonts live as long as the program; equal descriptions share one HFONT.
HFONT font(const FontSpec& desc);

// The size of a text drawn in a font on the screen.
SIZE textExtent(HFONT f, const std::wstring& text);

// Runs draw with a solid brush and a one-pixel pen of colour c selected
// into dc: shapes filled and outlined in that colour.
void drawSolid(HDC dc, COLORREF c, const std::function<void()>& draw);

// A window's text.
std::wstring windowText(HWND h);

// BeginPaint for the life of the object; EndPaint on every way out, so that
// a paint that throws still validates the window.
class PaintScope {
public:
    explicit PaintScope(HWND h) : h_(h), dc_(BeginPaint(h, &ps_)) {}
    ~PaintScope() { EndPaint(h_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND h_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND handle() const { return hwnd_; }
    static Window* fromHandle(HWND h);

    void setText(const std::wstring& text);
    std::wstring text() const;
    void setEnabled(bool on);
    bool enabled() const;
    void setVisible(bool on);
    bool visible() const;
    void setFont(HFONT f);
    void setFocus();
    void invalidate();

    // Whether the Tab key may stop here now.
    virtual bool canFocus() const;
    // Whether the control takes this key itself rather than the form's
    // keyboard navigation.
    virtual bool wantsKey(WPARAM /*key*/) const { return false; }

    // Messages that the parent reflects back to the control that sent them.
    virtual bool onCommand(WORD /*code*/) { return false; }
    virtual bool onNotify(NMHDR* /*hdr*/, LRESULT& /*result*/) { return false; }
    virtual bool onDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    virtual HBRUSH onCtlColor(HDC /*dc*/) { return nullptr; }

protected:
    // A window of one of our own classes (registered on first use) or a
    // subclassed system control; either way messages go to handleMessage.
    void createOwn(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                   const Bounds& b, const std::wstring& text, UINT classStyle = 0,
                   HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    void createSystem(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                      const Bounds& b, const std::wstring& text);

    virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT defaultProc(UINT msg, WPARAM wp, LPARAM lp);
    // Hands a reflected message to the control that sent it.
    bool reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

private:
    static LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void attach(HWND h);
    void detach();

    HWND hwnd_ = nullptr;
    WNDPROC systemProc_ = nullptr;  // the class procedure of a subclassed control
};

// A child window that holds controls (pages, group boxes) and passes their
// notifications on to the form.
class Container : public Window {
protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

struct FormProps {
    const wchar_t* className;  // the form class's name
    std::wstring caption;
    int clientWidth = 0, clientHeight = 0;
    DWORD style = WS_OVERLAPPEDWINDOW;
    HWND owner = nullptr;
    DWORD exStyle = 0;
    FontSpec font = kFormFont;
};

// What closing a form (its close box, Alt+F4, close()) does.
enum class CloseAction { Destroy, Hide, Ignore };

// A top-level window whose window class is named after the form class.
// Created hidden, centred on the screen. Its keys go through the program's
// message loop as a filter: see filterMessage.
class Form : public Window, public MessageFilter {
public:
    explicit Form(const FormProps& p);
    ~Form() override;
    // Controls in Tab order; a control is a stop while canFocus() is true.
    void setTabOrder(std::vector<Window*> order) { tabOrder_ = std::move(order); }
    // The button that Enter presses when the focus is not on another push
    // button; it is drawn as the default button, the one before no longer.
    void setDefaultButton(Window* b);
    // The button that Escape presses (none: Escape goes to the control).
    void setCancelButton(Window* b) { cancelButton_ = b; }
    // The page control that Ctrl+Tab and Ctrl+PageDown (forward) and
    // Ctrl+Shift+Tab and Ctrl+PageUp (back) turn over.
    void setPageKeys(PageControl* pages) { pageKeys_ = pages; }
    // Tab, Shift+Tab, the arrow keys between radio buttons, Enter for the
    // focused push button or else the default button, Escape for the cancel
    // button, Alt+letter for the push button whose caption underlines that
    // letter and the page keys; true if used.
    bool navigate(const MSG& msg);
    // The form's keys, before the message is dispatched: navigate(), while
    // the form is enabled (not under a modal wait of its own).
    bool filterMessage(const MSG& msg) override;
    void close();
    void show();

protected:
    // Closing destroys the form unless a form says otherwise.
    virtual CloseAction onClose() { return CloseAction::Destroy; }
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::vector<Window*> tabOrder_;
    Window* defaultButton_ = nullptr;
    Window* cancelButton_ = nullptr;
    PageControl* pageKeys_ = nullptr;
    HWND lastFocus_ = nullptr;
};

}  // namespace fw
