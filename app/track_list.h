// A list of the track table as a list box shows it.
#pragma once
#include "controls.h"
#include "list_model.h"
#include "utf.h"

namespace ztp {

class TrackList : public fw::ListBoxModel {
public:
    explicit TrackList(ListModel& list) : list_(list) {}
    int count() const override { return list_.count(); }
    std::wstring text(int i) const override { return fw::widen(list_.text(i)); }
    bool selected(int i) const override { return list_.selected(i); }
    void setSelected(int i, bool on) override { list_.setSelected(i, on); }

private:
    ListModel& list_;
};

}  // namespace ztp
