// A list box's contents without the window: entry texts and highlight flags.
#pragma once
#include <string>
#include <vector>

namespace ztp {

class ListModel {
public:
    int count() const { return static_cast<int>(items_.size()); }
    const std::string& text(int i) const { return items_.at(i); }
    bool selected(int i) const { return selected_.at(i) != 0; }
    void setSelected(int i, bool on) { selected_.at(i) = on ? 1 : 0; }
    void add(std::string text);
    void remove(int i);
    void clear();
    std::vector<std::string> texts() const { return items_; }
    std::vector<int> selectedIndices() const;

private:
    std::vector<std::string> items_;
    std::vector<char> selected_;
};

}  // namespace ztp
