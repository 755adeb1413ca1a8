#include "wizard_pages.h"

#include <commctrl.h>

namespace fw {

WizardPages::WizardPages(Window& parent, const Bounds& b)
    : TabPages(parent, b, WS_CHILD | WS_VISIBLE) {}

TabSheet& WizardPages::addPage(const std::wstring& caption) {
    captions_.push_back(caption);
    // The page area is the same with one tab shown as with any other.
    if (captions_.size() == 1) insertTab(0, caption);
    TabSheet& sheet = addSheet();
    if (captions_.size() == 1) showPage(0);
    return sheet;
}

void WizardPages::setCurrent(int index) {
    if (index < 0 || size_t(index) >= pageCount()) return;
    current_ = index;
    SendMessageW(handle(), TCM_DELETEALLITEMS, 0, 0);
    insertTab(0, captions_[size_t(index)]);
    SendMessageW(handle(), TCM_SETCURSEL, 0, 0);
    showPage(index);
    InvalidateRect(handle(), nullptr, TRUE);
}

}  // namespace fw
