// The main window's logic without the window: the track table, the CD player
// and what the settings and edit pages do. The window implements MainView,
// forwards each of its events to one of the operations here and shows the
// table's lists and totals when told they changed.
#pragma once
#include <filesystem>
#include <string>

#include "async_search.h"
#include "cd_player.h"
#include "convert.h"
#include "disk_loader.h"
#include "result_file.h"
#include "screen_cursor.h"
#include "track_table.h"

namespace ztp {

enum class SearchWait { Completed, Cancelled };

class MainView : public DiskLoadUi {
public:
    // The hourglass while the search runs.
    virtual fw::ScreenCursor& screenCursor() = 0;
    // Enables or disables the tape-time controls (bevels, edtTapeTime, labels).
    virtual void setTapeTimeEnabled(bool on) = 0;
    virtual SearchMode selectedMode() = 0;
    virtual std::string tapeTimeText() = 0;
    // The selection list and its total changed.
    virtual void selectionChanged() = 0;
    // The side lists, their totals and the tape length changed: a new
    // result, or none (table().hasResult() false: the sides emptied, and the
    // moves and the save are to be shown unusable).
    virtual void sidesChanged() = 0;
    // The same after a move: entries were deleted from one list and appended
    // to the other.
    virtual void sidesMoved() { sidesChanged(); }
    // Runs a modal wait while the search (already started) works; returns
    // Completed once search.done(), or Cancelled when the user cancels.
    virtual SearchWait waitForSearch(AsyncSearch& search) = 0;

    // The save: the question (Yes and No; false only for No), the save
    // dialog (false when cancelled, else the chosen name, maybe empty), the
    // date and its separator, and the file system that writes.
    virtual bool askSave(const std::string& question) = 0;
    virtual bool chooseSaveFile(std::filesystem::path& name) = 0;
    virtual Date today() = 0;
    virtual std::string dateSeparator() = 0;
    virtual SaveFileSystem& fileSystem() = 0;
};

extern const char* const kSaveQuestion;  // "結果をファイルに保存しますか？"

class MainLogic {
public:
    MainLogic(CdPlayer& player, MainView& view, Engine engine = Engine::Fast)
        : player_(player), view_(view), engine_(engine) {}

    TrackTable& table() { return table_; }
    const TrackTable& table() const { return table_; }

    // The window copies its list boxes' highlights into the table's lists
    // before deleteSelectedTracks and the two moves.

    // The window is created: disk number 1, the tape time off, the CD in the
    // drive read as disk 1 and the selection total shown.
    void start();
    // The tape time is usable in the modes that read it.
    void chooseMode(SearchMode mode);
    // The CD in the drive as the next disk.
    void addDisk();
    void deleteSelectedTracks();
    // The CD in the drive into the CD information only.
    void showDiskInfo();
    void moveSelectedToSideB();
    void moveSelectedToSideA();
    // Writes the result file from what the edit page shows. Throws
    // EInOutError when the file cannot be written; an earlier file of that
    // name is then left as it was.
    void saveResult();
    // The sides emptied (and the view told): every page change does this.
    void resetSearch();
    // On entering the edit page: the reset, then the search under the
    // hourglass. Throws EConvertError for a bad tape time, with the cursor
    // already back to default.
    void splitSides();

private:
    CdPlayer& player_;
    MainView& view_;
    Engine engine_;
    TrackTable table_;
};

}  // namespace ztp
