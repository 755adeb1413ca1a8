// The transport bar of the media player: one button per transport action,
// glyphs drawn by the program. Which buttons are usable and what a click
// does are decided by its owner.
#pragma once
#include <array>
#include <functional>
#include <memory>

#include "controls.h"

namespace fw {

// In the order of the bar.
enum class MediaButton { Play, Pause, Stop, Next, Prev, Step, Back, Record, Eject };
constexpr int kMediaButtonCount = 9;

struct MediaBarProps {
    Bounds bounds;
    std::array<bool, kMediaButtonCount> visible{};  // all hidden if none set
};

class MediaBar : public Container {
public:
    MediaBar(Window& parent, const MediaBarProps& p);
    void setUsable(MediaButton b, bool on);
    bool usable(MediaButton b) const;
    SpeedButton* button(MediaButton b) { return buttons_[size_t(b)].get(); }
    std::function<void(MediaButton)> onClick;

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void moveFocus(int step);
    void updateFocusFrame();
    std::array<std::unique_ptr<SpeedButton>, kMediaButtonCount> buttons_;
    std::array<bool, kMediaButtonCount> usable_{};
    int focusIndex_ = 0;
};

const wchar_t* mediaButtonName(MediaButton b);  // "btPlay", ...

}  // namespace fw
