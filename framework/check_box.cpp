#include "check_box.h"

namespace fw {

CheckBox::CheckBox(Window& parent, const CheckBoxProps& p) {
    createSystem(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                 parent.handle(), p.bounds, p.caption);
    setChecked(p.checked);
}

bool CheckBox::checked() const { return SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::setChecked(bool on) {
    SendMessageW(handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::onCommand(WORD code) {
    if (code == BN_CLICKED && onClick) onClick();
    return true;
}

}  // namespace fw
