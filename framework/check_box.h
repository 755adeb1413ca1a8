// A check box with its caption.
#pragma once
#include <functional>
#include <string>

#include "window.h"

namespace fw {

struct CheckBoxProps {
    Bounds bounds;
    std::wstring caption;
    bool checked = false;
};

class CheckBox : public Window {
public:
    CheckBox(Window& parent, const CheckBoxProps& p);
    std::function<void()> onClick;
    bool checked() const;
    void setChecked(bool on);
    bool onCommand(WORD code) override;
};

}  // namespace fw
