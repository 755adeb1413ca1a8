#include "wizard_pages.h"

#include <commctrl.h>

namespace fw {

WizardPages::WizardPages(Window& parent, const Bounds& b) {
    createSystem(WC_TABCONTROLW, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 WS_EX_CONTROLPARENT, parent.handle(), b, L"");
}

TabSheet& WizardPages::addPage(const std::wstring& caption) {
    captions_.push_back(caption);
    // The page area is the same with one tab shown as with any other.
    if (pages_.empty()) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring t = caption;
        item.pszText = t.data();
        SendMessageW(handle(), TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    RECT r;
    GetClientRect(handle(), &r);
    SendMessageW(handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    pages_.push_back(std::make_unique<TabSheet>(
        handle(), Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top}));
    if (pages_.size() == 1) pages_.back()->setVisible(true);
    return *pages_.back();
}

void WizardPages::setCurrent(int index) {
    if (index < 0 || size_t(index) >= pages_.size()) return;
    current_ = index;
    SendMessageW(handle(), TCM_DELETEALLITEMS, 0, 0);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring t = captions_[size_t(index)];
    item.pszText = t.data();
    SendMessageW(handle(), TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(handle(), TCM_SETCURSEL, 0, 0);
    pages_[size_t(index)]->setVisible(true);
    for (size_t i = 0; i < pages_.size(); ++i)
        if (int(i) != index) {
            HWND focus = GetFocus();
            if (focus && IsChild(pages_[i]->handle(), focus)) SetFocus(handle());
            pages_[i]->setVisible(false);
        }
    InvalidateRect(handle(), nullptr, TRUE);
}

}  // namespace fw
