// A picture: a bitmap canvas of the control's size, painted by the owner,
// with a hook to draw over it (texts) and a click handler.
#pragma once
#include <functional>
#include <memory>

#include "window.h"

namespace fw {

struct ImageProps {
    Bounds bounds;
};

class Image : public Window {
public:
    Image(Window& parent, const ImageProps& p);
    ~Image() override;
    // Moves and sizes the control; the canvas takes the new size, cleared.
    void setBounds(const Bounds& b);
    // A memory DC holding the picture; draw into it, then invalidate().
    HDC canvas() const;
    // Draws a bitmap resource of the program into the canvas at (0, 0).
    void loadBitmap(const wchar_t* resource);
    // Fills the canvas with background and draws an icon resource of the
    // program over it at the canvas's size.
    void loadIcon(const wchar_t* resource, COLORREF background);
    std::function<void(HDC)> onPaintOver;
    std::function<void()> onClick;
    bool canFocus() const override { return false; }

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void makeCanvas(int w, int h);
    struct Canvas;
    std::unique_ptr<Canvas> canvas_;
    int w_ = 0, h_ = 0;
    bool pressed_ = false;
};

}  // namespace fw
