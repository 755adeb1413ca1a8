// The main window: the settings and edit pages over the track table.
#pragma once
#include <memory>

#include "cd_player_bar.h"
#include "controls.h"
#include "dialogs.h"
#include "main_logic.h"
#include "track_list.h"
#include "win_file_system.h"
#include "window.h"

namespace ztp {

class TfrmMain : public fw::Form, private MainView {
public:
    // Opens the CD audio device while it is created: throws EMCIDeviceError.
    explicit TfrmMain(MciApi& device);

    // The program message box.
    void showMessage(const std::string& text) override;

protected:
    // The window stays open while a search runs.
    fw::CloseAction onClose() override;

private:
    // Event handlers, each handing the event to the logic.
    void FormCreate();
    void pctWizardChange();
    void radRyoumenClick();
    void radAMenClick();
    void radBMenClick();
    void btnTrackAddClick();
    void btnTrackDelClick();
    void btnCDInfoClick();
    void sbtTrackRClick();
    void sbtTrackLClick();
    void btnSaveClick();
    void btnVersionClick();
    void btnExitClick();

    // MainView
    std::string askTitle(const std::string& prompt, const std::string& defaultText) override;
    void setTotalTracks(const std::string& caption) override;
    void setTotalTime(const std::string& caption) override;
    fw::ScreenCursor& screenCursor() override;
    void setTapeTimeEnabled(bool on) override;
    SearchMode selectedMode() override;
    std::string tapeTimeText() override;
    void selectionChanged() override;
    void sidesChanged() override;
    void sidesMoved() override;
    SearchWait waitForSearch(AsyncSearch& search) override;
    bool askSave(const std::string& question) override;
    bool chooseSaveFile(std::filesystem::path& name) override;
    Date today() override;
    std::string dateSeparator() override;
    SaveFileSystem& fileSystem() override;
    void showSides(bool fresh);
    // sbtTrackR, sbtTrackL and btnSave: usable only while a result is shown.
    void enableResultControls(bool on);

    bool searching_ = false;

    // Controls, created in this order (parents first).
    fw::PageControl pctWizard;
    fw::TabSheet& tabWiz1;
    fw::TabSheet& tabWiz2;

    fw::GroupBox grpCDHouhou;
    fw::RadioButton radRyoumen, radAMen, radBMen;
    fw::Edit edtTapeTime;
    fw::Bevel bvlAB0, bvlAB1, bvlAB2, bvlAB3;
    fw::Label lblAB0, lblAB1;

    fw::GroupBox grpCDInfo;
    CdPlayerBar mplCD;
    fw::Label Label2, lblTotalTracks, Label3, lblTotalTime;
    fw::Button btnCDInfo;

    fw::GroupBox grpTrackSelect;
    fw::Label Label1;
    fw::Button btnTrackAdd, btnTrackDel;
    fw::Panel pnlHead0;
    fw::ListBox lstTrackSelect;
    fw::Panel pnlSelectKei;

    fw::GroupBox grpHenshuu;
    fw::Label Label4, Label5, Label6;
    fw::Panel pnlHead1, pnlHead2;
    fw::ListBox lstA, lstB;
    fw::SpeedButton sbtTrackR, sbtTrackL;
    fw::Panel pnlAKei, pnlBKei;
    fw::Button btnSave;
    fw::Label Label7;
    fw::Panel pnlFin;

    fw::Bevel Bevel1;
    fw::Button btnVersion, btnExit;
    fw::SaveDialog dlgSave;
    WinFileSystem files_;

    MainLogic logic_;
    // The table's lists as the list boxes show them.
    TrackList selectionList_, sideListA_, sideListB_;
};

}  // namespace ztp
