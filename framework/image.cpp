#include "image.h"

#include "exceptions.h"

namespace fw {

Image::Image(Window& parent, const ImageProps& p) {
    createOwn(L"FwImage", WS_CHILD | WS_VISIBLE, 0, parent.handle(), p.bounds, L"", 0, nullptr);
    makeCanvas(p.bounds.w, p.bounds.h);
}

Image::~Image() { freeCanvas(); }

void Image::freeCanvas() {
    if (dc_) {
        SelectObject(dc_, oldBitmap_);
        DeleteDC(dc_);
        dc_ = nullptr;
    }
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
}

void Image::makeCanvas(int w, int h) {
    freeCanvas();
    w_ = w > 0 ? w : 1;
    h_ = h > 0 ? h : 1;
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, w_, h_);
    ReleaseDC(nullptr, screen);
    if (!dc_ || !bitmap_) throwLastError("CreateCompatibleBitmap");
    oldBitmap_ = SelectObject(dc_, bitmap_);
    RECT r{0, 0, w_, h_};
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void Image::setBounds(const Bounds& b) {
    MoveWindow(handle(), b.x, b.y, b.w, b.h, TRUE);
    makeCanvas(b.w, b.h);
    invalidate();
}

void Image::loadBitmap(const wchar_t* resource) {
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) throwLastError("LoadImageW");
    HDC src = CreateCompatibleDC(dc_);
    HGDIOBJ old = SelectObject(src, bmp);
    BITMAP info{};
    GetObjectW(bmp, sizeof info, &info);
    BitBlt(dc_, 0, 0, info.bmWidth, info.bmHeight, src, 0, 0, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
    DeleteObject(bmp);
    invalidate();
}

void Image::loadIcon(const wchar_t* resource, COLORREF background) {
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), resource, IMAGE_ICON, w_, h_, 0));
    if (!icon) throwLastError("LoadImageW");
    HBRUSH brush = CreateSolidBrush(background);
    RECT r{0, 0, w_, h_};
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
    DrawIconEx(dc_, 0, 0, icon, w_, h_, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    invalidate();
}

LRESULT Image::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: return TRUE;
        case WM_PAINT: {
            PaintScope paint(handle());
            BitBlt(paint.dc(), 0, 0, w_, h_, dc_, 0, 0, SRCCOPY);
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
