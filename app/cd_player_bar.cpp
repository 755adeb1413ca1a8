#include "cd_player_bar.h"

#include <mmsystem.h>

namespace ztp {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 250;

fw::MediaBarProps barProps(const fw::Bounds& b) {
    fw::MediaBarProps p{b, {}};
    for (auto btn : {fw::MediaButton::Play, fw::MediaButton::Stop, fw::MediaButton::Next,
                     fw::MediaButton::Prev, fw::MediaButton::Step, fw::MediaButton::Back,
                     fw::MediaButton::Eject})
        p.visible[size_t(btn)] = true;
    return p;
}

}  // namespace

CdPlayerBar::CdPlayerBar(fw::Window& parent, const fw::Bounds& b, MciApi& device)
    : fw::MediaBar(parent, barProps(b)), player_(device) {
    player_.onUsableChanged = [this] { showUsable(); };
    onClick = [this](fw::MediaButton btn) { player_.click(BtnType(int(btn))); };
}

void CdPlayerBar::openDevice() {
    player_.open(reinterpret_cast<DWORD_PTR>(handle()));
    showUsable();
    // Only a device that keeps time itself needs the timer.
    if (player_.needsPolling()) SetTimer(handle(), kPollTimer, kPollMs, nullptr);
}

void CdPlayerBar::showUsable() {
    for (int i = 0; i < fw::kMediaButtonCount; ++i)
        setUsable(fw::MediaButton(i), player_.usable(BtnType(i)));
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
