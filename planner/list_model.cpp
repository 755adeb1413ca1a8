#include "list_model.h"

namespace ztp {

void ListModel::add(std::string text) {
    items_.push_back(std::move(text));
    selected_.push_back(0);
}

void ListModel::remove(int i) {
    if (i < 0 || i >= count()) return;
    items_.erase(items_.begin() + i);
    selected_.erase(selected_.begin() + i);
}

void ListModel::clear() {
    items_.clear();
    selected_.clear();
}

std::vector<int> ListModel::selectedIndices() const {
    std::vector<int> out;
    for (int i = 0; i < count(); ++i)
        if (selected_[i]) out.push_back(i);
    return out;
}

}  // namespace ztp
