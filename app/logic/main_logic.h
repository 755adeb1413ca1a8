// The main window's event logic without the window: the track table, the
// CD player and the handlers of the settings and edit pages. The window
// implements MainView, forwards its events here and mirrors the table's
// list models and panel captions when told they changed.
#pragma once
#include <filesystem>
#include <string>

#include "async_search.h"
#include "cd_player.h"
#include "convert.h"
#include "disk_loader.h"
#include "result_file.h"
#include "track_table.h"

namespace ztp {

enum class ViewCursor { Default, HourGlass };
enum class SearchWait { Completed, Cancelled };

class MainView : public DiskLoadUi {
public:
    virtual void setCursor(ViewCursor c) = 0;
    // Enables or disables the tape-time controls (bevels, edtTapeTime, labels).
    virtual void setTapeTimeEnabled(bool on) = 0;
    virtual SearchMode selectedMode() = 0;
    virtual std::string tapeTimeText() = 0;
    // lstTrackSelect and pnlSelectKei changed.
    virtual void selectionChanged() = 0;
    // lstA, lstB, pnlAKei, pnlBKei and pnlFin changed: a new result, or
    // none (table().hasResult() false: the sides emptied, and the moves and
    // the save are to be shown unusable).
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

    // Event handlers. The window copies its list boxes' highlights into the
    // table's list models before btnTrackDelClick and the two moves.
    void FormCreate();
    void radRyoumenClick();
    void radAMenClick();
    void radBMenClick();
    void btnTrackAddClick();
    void btnTrackDelClick();
    void btnCDInfoClick();
    void sbtTrackRClick();
    void sbtTrackLClick();
    // Writes the result file from what the edit page shows. Throws
    // EInOutError when the file cannot be written; an earlier file of that
    // name is then left as it was.
    void btnSaveClick();
    // After the page control changed its page: the sides are emptied (and
    // the view told) before a search is tried. Throws EConvertError for a
    // bad tape time, with the cursor already back to default.
    void pctWizardChange(bool editPageActive);

private:
    CdPlayer& player_;
    MainView& view_;
    Engine engine_;
    TrackTable table_;
};

}  // namespace ztp
