// Pages of a wizard on a tab control that shows only the current page's
// tab, so pages change by the program's buttons, never by the tabs.
#pragma once
#include <string>
#include <vector>

#include "controls.h"

namespace fw {

class WizardPages : public TabPages {
public:
    WizardPages(Window& parent, const Bounds& b);
    TabSheet& addPage(const std::wstring& caption);
    void setCurrent(int index);
    int current() const { return current_; }

private:
    std::vector<std::wstring> captions_;
    int current_ = 0;
};

}  // namespace fw
