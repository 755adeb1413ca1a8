#include "check_box.h"

namespace fw {

CheckBox::CheckBox(Window& parent, const CheckBoxProps& p) {
    createSystem(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                 parent.handle(), p.bounds, p.caption);
    setChecked(p.checked);
}

}  // namespace fw
