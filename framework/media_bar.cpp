#include "media_bar.h"

#include <vector>

namespace fw {
namespace {

const wchar_t* const kNames[kMediaButtonCount] = {L"btPlay", L"btPause", L"btStop",
                                                  L"btNext", L"btPrev",  L"btStep",
                                                  L"btBack", L"btRecord", L"btEject"};

COLORREF glyphColor(MediaButton b) {
    switch (b) {
        case MediaButton::Play: return RGB(0, 128, 0);
        case MediaButton::Pause: return RGB(128, 128, 0);
        case MediaButton::Stop:
        case MediaButton::Record: return RGB(192, 0, 0);
        default: return RGB(0, 0, 128);
    }
}

void polygon(HDC dc, std::vector<POINT> pts, int dx, int dy, COLORREF c) {
    for (auto& p : pts) {
        p.x += dx;
        p.y += dy;
    }
    drawSolid(dc, c, [&] { Polygon(dc, pts.data(), int(pts.size())); });
}

void bar(HDC dc, int x, int y, int w, int h, int dx, int dy, COLORREF c) {
    polygon(dc, {{x, y}, {x + w - 1, y}, {x + w - 1, y + h - 1}, {x, y + h - 1}}, dx, dy, c);
}

// Shapes on a 12 x 8 grid centred in r.
void drawShape(HDC dc, MediaButton b, int ox, int oy, int dx, int dy, COLORREF c) {
    auto tri = [&](int x, int w, bool right) {
        if (right) polygon(dc, {{ox + x, oy}, {ox + x + w, oy + 4}, {ox + x, oy + 8}}, dx, dy, c);
        else polygon(dc, {{ox + x + w, oy}, {ox + x, oy + 4}, {ox + x + w, oy + 8}}, dx, dy, c);
    };
    switch (b) {
        case MediaButton::Play: tri(3, 5, true); break;
        case MediaButton::Pause:
            bar(dc, ox + 3, oy, 2, 9, dx, dy, c);
            bar(dc, ox + 7, oy, 2, 9, dx, dy, c);
            break;
        case MediaButton::Stop: bar(dc, ox + 2, oy, 8, 9, dx, dy, c); break;
        case MediaButton::Next:
            tri(1, 4, true);
            tri(5, 4, true);
            bar(dc, ox + 10, oy, 2, 9, dx, dy, c);
            break;
        case MediaButton::Prev:
            bar(dc, ox, oy, 2, 9, dx, dy, c);
            tri(3, 4, false);
            tri(7, 4, false);
            break;
        case MediaButton::Step:
            tri(2, 4, true);
            bar(dc, ox + 7, oy, 2, 9, dx, dy, c);
            break;
        case MediaButton::Back:
            bar(dc, ox + 3, oy, 2, 9, dx, dy, c);
            tri(6, 4, false);
            break;
        case MediaButton::Record:
            drawSolid(dc, c, [&] { Ellipse(dc, ox + 2 + dx, oy + dy, ox + 11 + dx, oy + 9 + dy); });
            break;
        case MediaButton::Eject:
            polygon(dc, {{ox + 1, oy + 5}, {ox + 6, oy}, {ox + 11, oy + 5}}, dx, dy, c);
            bar(dc, ox + 1, oy + 7, 11, 2, dx, dy, c);
            break;
    }
}

void drawGlyph(HDC dc, const RECT& r, MediaButton b, bool enabled) {
    int ox = (r.left + r.right - 12) / 2, oy = (r.top + r.bottom - 9) / 2;
    if (enabled) {
        drawShape(dc, b, ox, oy, 0, 0, glyphColor(b));
    } else {
        drawShape(dc, b, ox, oy, 1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        drawShape(dc, b, ox, oy, 0, 0, GetSysColor(COLOR_BTNSHADOW));
    }
}

}  // namespace

const wchar_t* mediaButtonName(MediaButton b) { return kNames[int(b)]; }

MediaBar::MediaBar(Window& parent, const MediaBarProps& p) {
    createOwn(L"FwMediaBar", WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CONTROLPARENT,
              parent.handle(), p.bounds, L"", CS_HREDRAW | CS_VREDRAW);
    int shown = 0;
    for (bool v : p.visible) shown += v ? 1 : 0;
    if (shown == 0) return;
    int w = p.bounds.w / shown, x = 0, placed = 0;
    for (int i = 0; i < kMediaButtonCount; ++i) {
        if (!p.visible[size_t(i)]) continue;
        auto b = MediaButton(i);
        int bw = (++placed == shown) ? p.bounds.w - x : w;
        auto btn = std::make_unique<SpeedButton>(
            *this, SpeedButtonProps{{x, 0, bw, p.bounds.h}, kNames[i],
                                    [b](HDC dc, const RECT& r, bool on) { drawGlyph(dc, r, b, on); }});
        btn->onClick = [this, b] {
            if (usable(b) && onClick) onClick(b);
        };
        btn->setEnabled(false);
        buttons_[size_t(i)] = std::move(btn);
        x += bw;
    }
    while (focusIndex_ < kMediaButtonCount && !buttons_[size_t(focusIndex_)]) ++focusIndex_;
}

void MediaBar::setUsable(MediaButton b, bool on) {
    usable_[size_t(b)] = on;
    if (auto& btn = buttons_[size_t(b)]) btn->setEnabled(on);
}

bool MediaBar::usable(MediaButton b) const { return usable_[size_t(b)]; }

void MediaBar::updateFocusFrame() {
    bool has = GetFocus() == handle();
    for (int i = 0; i < kMediaButtonCount; ++i)
        if (auto& btn = buttons_[size_t(i)]) btn->setFocusFrame(has && i == focusIndex_);
}

void MediaBar::moveFocus(int step) {
    for (int i = focusIndex_ + step; i >= 0 && i < kMediaButtonCount; i += step)
        if (buttons_[size_t(i)]) {
            focusIndex_ = i;
            break;
        }
    updateFocusFrame();
}

LRESULT MediaBar::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            LRESULT r = Container::handleMessage(msg, wp, lp);
            updateFocusFrame();
            return r;
        }
        case WM_KEYDOWN:
            if (wp == VK_LEFT || wp == VK_UP) moveFocus(-1);
            else if (wp == VK_RIGHT || wp == VK_DOWN) moveFocus(1);
            else if (wp == VK_SPACE || wp == VK_RETURN) {
                if (focusIndex_ < kMediaButtonCount && buttons_[size_t(focusIndex_)])
                    SendMessageW(buttons_[size_t(focusIndex_)]->handle(), BM_CLICK, 0, 0);
            }
            return 0;
        case WM_LBUTTONDOWN: SetFocus(handle()); return 0;
    }
    return Container::handleMessage(msg, wp, lp);
}

}  // namespace fw
