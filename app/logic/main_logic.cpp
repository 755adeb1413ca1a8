#include "main_logic.h"

namespace ztp {

const char* const kSaveQuestion = "結果をファイルに保存しますか？";

void MainLogic::start() {
    table_.DiskNo = 1;
    view_.setTapeTimeEnabled(false);
    table_.selection.clear();
    loadDisk(false, player_, table_, view_);
    table_.ShowSelectTotal();
    view_.selectionChanged();
}

void MainLogic::chooseMode(SearchMode mode) {
    view_.setTapeTimeEnabled(mode != SearchMode::Ryoumen);
}

void MainLogic::addDisk() {
    loadDisk(false, player_, table_, view_);
    table_.ShowSelectTotal();
    view_.selectionChanged();
}

void MainLogic::deleteSelectedTracks() {
    table_.deleteSelectedTracks();
    view_.selectionChanged();
}

void MainLogic::showDiskInfo() { loadDisk(true, player_, table_, view_); }

// Without a result the view disables the moves and the save; should one
// come through all the same, it does nothing.
void MainLogic::moveSelectedToSideB() {
    if (!table_.hasResult()) return;
    table_.moveSelectedToSideB();
    view_.sidesMoved();
}

void MainLogic::moveSelectedToSideA() {
    if (!table_.hasResult()) return;
    table_.moveSelectedToSideA();
    view_.sidesMoved();
}

void MainLogic::saveResult() {
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
    const std::string bytes =
        resultBytes(resultSource(table_), view_.today(), view_.dateSeparator());
    writeFileReplacing(name, bytes, view_.fileSystem());
}

void MainLogic::resetSearch() {
    table_.resetSearch();
    view_.sidesChanged();
}

void MainLogic::splitSides() {
    resetSearch();
    fw::CursorScope hourglass(view_.screenCursor(), fw::Cursor::HourGlass);
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
