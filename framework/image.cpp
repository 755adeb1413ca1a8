#include "image.h"

#include <optional>

#include "exceptions.h"
#include "gdi.h"

namespace fw {

// A memory DC with a bitmap of the control's size selected into it.
struct Image::Canvas {
    Canvas(HDC screen, int w, int h) : dc(screen), bitmap(CreateCompatibleBitmap(screen, w, h)) {}
    MemoryDC dc;
    GdiObject<HBITMAP> bitmap;
    std::optional<Selection> selected;
};

Image::Image(Window& parent, const ImageProps& p) {
    createOwn(L"FwImage", WS_CHILD | WS_VISIBLE, 0, parent.handle(), p.bounds, L"", 0, nullptr);
    makeCanvas(p.bounds.w, p.bounds.h);
}

Image::~Image() = default;

HDC Image::canvas() const { return canvas_->dc.get(); }

void Image::makeCanvas(int w, int h) {
    canvas_.reset();
    w_ = w > 0 ? w : 1;
    h_ = h > 0 ? h : 1;
    ScreenDC screen;
    auto c = std::make_unique<Canvas>(screen.get(), w_, h_);
    if (!c->dc.get() || !c->bitmap) throwLastError("CreateCompatibleBitmap");
    c->selected.emplace(c->dc.get(), c->bitmap.get());
    RECT r{0, 0, w_, h_};
    FillRect(c->dc.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    canvas_ = std::move(c);
}

void Image::setBounds(const Bounds& b) {
    MoveWindow(handle(), b.x, b.y, b.w, b.h, TRUE);
    makeCanvas(b.w, b.h);
    invalidate();
}

void Image::loadBitmap(const wchar_t* resource) {
    GdiObject<HBITMAP> bmp(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bmp) throwLastError("LoadImageW");
    {
        MemoryDC src(canvas());
        Selection from(src.get(), bmp.get());
        BITMAP info{};
        GetObjectW(bmp.get(), sizeof info, &info);
        BitBlt(canvas(), 0, 0, info.bmWidth, info.bmHeight, src.get(), 0, 0, SRCCOPY);
    }
    invalidate();
}

void Image::loadIcon(const wchar_t* resource, COLORREF background) {
    HICON icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), resource, IMAGE_ICON, w_, h_, 0));
    if (!icon) throwLastError("LoadImageW");
    {
        GdiObject<HBRUSH> brush(CreateSolidBrush(background));
        RECT r{0, 0, w_, h_};
        FillRect(canvas(), &r, brush.get());
    }
    DrawIconEx(canvas(), 0, 0, icon, w_, h_, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    invalidate();
}

LRESULT Image::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: return TRUE;
        case WM_PAINT: {
            PaintScope paint(handle());
            BitBlt(paint.dc(), 0, 0, w_, h_, canvas(), 0, 0, SRCCOPY);
            if (onPaintOver) onPaintOver(paint.dc());
            return 0;
        }
        case WM_LBUTTONDOWN: pressed_ = true; return 0;
        case WM_LBUTTONUP:
            if (pressed_) {
                pressed_ = false;
                if (onClick) onClick();
            }
            return 0;
    }
    return Window::handleMessage(msg, wp, lp);
}

}  // namespace fw
