// Tool tips: one tip window that shows a text over each control given.
#pragma once
#include <string>

#include "window.h"

namespace fw {

class ToolTip {
public:
    explicit ToolTip(Window& form);
    ~ToolTip();
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;
    void add(Window& control, const std::wstring& text);
    HWND handle() const { return tip_; }

private:
    HWND tip_ = nullptr;
    HWND form_ = nullptr;
};

}  // namespace fw
