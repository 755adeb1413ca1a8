// The transport bar of the media player: a row of flat buttons that the Tab
// key reaches as one stop; the arrow keys move a focus frame between them and
// Space or Enter presses the framed one. Its owner draws the glyphs and
// decides which buttons are usable and what a click does.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls.h"

namespace fw {

struct MediaBarButton {
    std::wstring name;  // window text; not shown
    std::function<void(HDC, const RECT&, bool enabled)> glyph;
};

struct MediaBarProps {
    Bounds bounds;
    std::vector<MediaBarButton> buttons;  // left to right, sharing the width
};

class MediaBar : public Container {
public:
    MediaBar(Window& parent, const MediaBarProps& p);
    int count() const { return int(buttons_.size()); }
    // A usable button is enabled; all start unusable.
    void setUsable(int i, bool on);
    bool usable(int i) const;
    SpeedButton& button(int i) { return *buttons_.at(size_t(i)); }
    // The index of the button clicked.
    std::function<void(int)> onClick;

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void moveFocus(int step);
    void updateFocusFrame();
    std::vector<std::unique_ptr<SpeedButton>> buttons_;
    int focusIndex_ = 0;
};

}  // namespace fw
