#include "main_logic.h"

namespace ztp {

const char* const kSaveQuestion = "結果をファイルに保存しますか？";

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

// Without a result the view disables the moves and the save; should one
// come through all the same, it does nothing.
void MainLogic::sbtTrackRClick() {
    if (!table_.hasResult()) return;
    table_.sbtTrackRClick();
    view_.sidesMoved();
}

void MainLogic::sbtTrackLClick() {
    if (!table_.hasResult()) return;
    table_.sbtTrackLClick();
    view_.sidesMoved();
}

void MainLogic::btnSaveClick() {
    if (!table_.hasResult()) {
        view_.showMessage(kNotSavedMessage);
        return;
    }
    if (!view_.askSave(kSaveQuestion)) return;
    std::filesystem::path name;
    if (!view_.chooseSaveFile(name)) return;
    if (name.empty()) {
        view_.showMessage(kNotSavedMessage);
        return;
    }
    const std::string bytes = resultBytes(resultSource(table_), view_.today(), view_.dateSeparator());
    writeFileReplacing(name, bytes, view_.fileSystem());
}

void MainLogic::pctWizardChange(bool editPageActive) {
    table_.resetSearch();
    view_.sidesChanged();
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
