// A list box of plain texts with one selected line.
#pragma once
#include <string>

#include "window.h"

namespace fw {

struct StringListProps {
    Bounds bounds;
};

class StringList : public Window {
public:
    StringList(Window& parent, const StringListProps& p);
    void clear();
    void add(const std::wstring& text);
    int count() const;
    std::wstring item(int i) const;
    void select(int i);
};

}  // namespace fw
