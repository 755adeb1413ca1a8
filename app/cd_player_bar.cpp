#include "cd_player_bar.h"

#include <mmsystem.h>

#include <vector>

namespace ztp {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 250;

// The buttons the bar shows, in its order.
constexpr BtnType kShown[] = {BtnType::btPlay, BtnType::btStop, BtnType::btNext, BtnType::btPrev,
                              BtnType::btStep, BtnType::btBack, BtnType::btEject};

const wchar_t* buttonName(BtnType b) {
    const wchar_t* const names[kBtnCount] = {L"btPlay", L"btPause",  L"btStop",
                                             L"btNext", L"btPrev",   L"btStep",
                                             L"btBack", L"btRecord", L"btEject"};
    return names[int(b)];
}

COLORREF glyphColor(BtnType b) {
    switch (b) {
        case BtnType::btPlay: return RGB(0, 128, 0);
        case BtnType::btPause: return RGB(128, 128, 0);
        case BtnType::btStop:
        case BtnType::btRecord: return RGB(192, 0, 0);
        default: return RGB(0, 0, 128);
    }
}

void polygon(HDC dc, std::vector<POINT> pts, int dx, int dy, COLORREF c) {
    for (auto& p : pts) {
        p.x += dx;
        p.y += dy;
    }
    fw::drawSolid(dc, c, [&] { Polygon(dc, pts.data(), int(pts.size())); });
}

void bar(HDC dc, int x, int y, int w, int h, int dx, int dy, COLORREF c) {
    polygon(dc, {{x, y}, {x + w - 1, y}, {x + w - 1, y + h - 1}, {x, y + h - 1}}, dx, dy, c);
}

// Shapes on a 12 x 8 grid centred in r.
void drawShape(HDC dc, BtnType b, int ox, int oy, int dx, int dy, COLORREF c) {
    auto tri = [&](int x, int w, bool right) {
        if (right) polygon(dc, {{ox + x, oy}, {ox + x + w, oy + 4}, {ox + x, oy + 8}}, dx, dy, c);
        else polygon(dc, {{ox + x + w, oy}, {ox + x, oy + 4}, {ox + x + w, oy + 8}}, dx, dy, c);
    };
    switch (b) {
        case BtnType::btPlay: tri(3, 5, true); break;
        case BtnType::btPause:
            bar(dc, ox + 3, oy, 2, 9, dx, dy, c);
            bar(dc, ox + 7, oy, 2, 9, dx, dy, c);
            break;
        case BtnType::btStop: bar(dc, ox + 2, oy, 8, 9, dx, dy, c); break;
        case BtnType::btNext:
            tri(1, 4, true);
            tri(5, 4, true);
            bar(dc, ox + 10, oy, 2, 9, dx, dy, c);
            break;
        case BtnType::btPrev:
            bar(dc, ox, oy, 2, 9, dx, dy, c);
            tri(3, 4, false);
            tri(7, 4, false);
            break;
        case BtnType::btStep:
            tri(2, 4, true);
            bar(dc, ox + 7, oy, 2, 9, dx, dy, c);
            break;
        case BtnType::btBack:
            bar(dc, ox + 3, oy, 2, 9, dx, dy, c);
            tri(6, 4, false);
            break;
        case BtnType::btRecord:
            fw::drawSolid(dc, c,
                          [&] { Ellipse(dc, ox + 2 + dx, oy + dy, ox + 11 + dx, oy + 9 + dy); });
            break;
        case BtnType::btEject:
            polygon(dc, {{ox + 1, oy + 5}, {ox + 6, oy}, {ox + 11, oy + 5}}, dx, dy, c);
            bar(dc, ox + 1, oy + 7, 11, 2, dx, dy, c);
            break;
    }
}

void drawGlyph(HDC dc, const RECT& r, BtnType b, bool enabled) {
    int ox = (r.left + r.right - 12) / 2, oy = (r.top + r.bottom - 9) / 2;
    if (enabled) {
        drawShape(dc, b, ox, oy, 0, 0, glyphColor(b));
    } else {
        drawShape(dc, b, ox, oy, 1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        drawShape(dc, b, ox, oy, 0, 0, GetSysColor(COLOR_BTNSHADOW));
    }
}

fw::MediaBarProps barProps(const fw::Bounds& b) {
    fw::MediaBarProps p{b, {}};
    for (BtnType btn : kShown)
        p.buttons.push_back({buttonName(btn),
                             [btn](HDC dc, const RECT& r, bool on) { drawGlyph(dc, r, btn, on); }});
    return p;
}

}  // namespace

CdPlayerBar::CdPlayerBar(fw::Window& parent, const fw::Bounds& b, MciApi& device)
    : fw::MediaBar(parent, barProps(b)), player_(device) {
    player_.onUsableChanged = [this] { showUsable(); };
    onClick = [this](int i) { player_.click(kShown[i]); };
}

void CdPlayerBar::openDevice() {
    player_.open(reinterpret_cast<DWORD_PTR>(handle()));
    showUsable();
    // Only a device that keeps time itself needs the timer.
    if (player_.needsPolling()) SetTimer(handle(), kPollTimer, kPollMs, nullptr);
}

void CdPlayerBar::showUsable() {
    for (int i = 0; i < count(); ++i) setUsable(i, player_.usable(kShown[i]));
}

LRESULT CdPlayerBar::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case MM_MCINOTIFY:
            if (MCIDEVICEID(lp) == player_.deviceId()) player_.notify();
            return 0;
        case WM_TIMER:
            if (wp == kPollTimer) {
                player_.poll();
                return 0;
            }
            break;
        case WM_DESTROY: KillTimer(handle(), kPollTimer); break;
    }
    return fw::MediaBar::handleMessage(msg, wp, lp);
}

}  // namespace ztp
