#include "main_logic.h"

namespace ztp {
namespace {

class CursorScope {
public:
    explicit CursorScope(MainView& v) : v_(v) { v_.setCursor(ViewCursor::HourGlass); }
    ~CursorScope() { v_.setCursor(ViewCursor::Default); }
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;

private:
    MainView& v_;
};

}  // namespace

void MainLogic::FormCreate() {
    table_.DiskNo = 1;
    view_.setTapeTimeEnabled(false);
    table_.lstTrackSelect.clear();
    loadDisk(false, player_, table_, view_);
    table_.ShowSelectTotal();
    view_.selectionChanged();
}

void MainLogic::radRyoumenClick() { view_.setTapeTimeEnabled(false); }
void MainLogic::radAMenClick() { view_.setTapeTimeEnabled(true); }
void MainLogic::radBMenClick() { view_.setTapeTimeEnabled(true); }

void MainLogic::btnTrackAddClick() {
    loadDisk(false, player_, table_, view_);
    table_.ShowSelectTotal();
    view_.selectionChanged();
}

void MainLogic::btnTrackDelClick() {
    table_.btnTrackDelClick();
    view_.selectionChanged();
}

void MainLogic::btnCDInfoClick() { loadDisk(true, player_, table_, view_); }

void MainLogic::sbtTrackRClick() {
    table_.sbtTrackRClick();
    view_.sidesChanged();
}

void MainLogic::sbtTrackLClick() {
    table_.sbtTrackLClick();
    view_.sidesChanged();
}

void MainLogic::pctWizardChange(bool editPageActive) {
    table_.resetSearch();
    if (!editPageActive) return;
    CursorScope hourglass(view_);
    const SearchMode mode = view_.selectedMode();
    const std::int64_t target = table_.target(mode, view_.tapeTimeText());
    AsyncSearch search(table_.trackTimes(), target, engine_);
    search.start();
    const SearchWait outcome = view_.waitForSearch(search);
    if (outcome == SearchWait::Cancelled) search.cancel();
    search.wait();
    if (outcome == SearchWait::Cancelled) return;
    if (!search.completed()) {
        search.result();  // rethrows a failed search
        return;
    }
    table_.applySearch(search.result(), mode);
    view_.sidesChanged();
}

}  // namespace ztp
