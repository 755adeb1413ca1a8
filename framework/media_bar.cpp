#include "media_bar.h"

namespace fw {

MediaBar::MediaBar(Window& parent, const MediaBarProps& p) {
    createOwn(L"FwMediaBar", WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CONTROLPARENT,
              parent.handle(), p.bounds, L"", CS_HREDRAW | CS_VREDRAW);
    const int shown = int(p.buttons.size());
    if (shown == 0) return;
    int w = p.bounds.w / shown, x = 0;
    for (int i = 0; i < shown; ++i) {
        int bw = (i + 1 == shown) ? p.bounds.w - x : w;
        auto btn =
            std::make_unique<SpeedButton>(*this, SpeedButtonProps{{x, 0, bw, p.bounds.h},
                                                                  p.buttons[size_t(i)].name,
                                                                  p.buttons[size_t(i)].glyph});
        btn->onClick = [this, i] {
            if (usable(i) && onClick) onClick(i);
        };
        btn->setEnabled(false);
        buttons_.push_back(std::move(btn));
        x += bw;
    }
}

void MediaBar::setUsable(int i, bool on) { buttons_.at(size_t(i))->setEnabled(on); }

bool MediaBar::usable(int i) const { return buttons_.at(size_t(i))->enabled(); }

void MediaBar::updateFocusFrame() {
    bool has = GetFocus() == handle();
    for (int i = 0; i < count(); ++i) buttons_[size_t(i)]->setFocusFrame(has && i == focusIndex_);
}

void MediaBar::moveFocus(int step) {
    const int next = focusIndex_ + step;
    if (next >= 0 && next < count()) focusIndex_ = next;
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
                if (focusIndex_ < count())
                    SendMessageW(buttons_[size_t(focusIndex_)]->handle(), BM_CLICK, 0, 0);
            }
            return 0;
        case WM_LBUTTONDOWN: SetFocus(handle()); return 0;
    }
    return Container::handleMessage(msg, wp, lp);
}

}  // namespace fw
