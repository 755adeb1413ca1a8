// A check box with its caption.
#pragma once
#include <string>

#include "controls.h"

namespace fw {

struct CheckBoxProps {
    Bounds bounds;
    std::wstring caption;
    bool checked = false;
};

class CheckBox : public CheckableButton {
public:
    CheckBox(Window& parent, const CheckBoxProps& p);
};

}  // namespace fw
