// A multi-line text box, read-only, with a vertical scroll bar.
#pragma once
#include <string>

#include "window.h"

namespace fw {

struct MemoProps {
    Bounds bounds;
    std::wstring text;
};

class Memo : public Window {
public:
    Memo(Window& parent, const MemoProps& p);
};

}  // namespace fw
