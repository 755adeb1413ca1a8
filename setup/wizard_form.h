// The setup wizard: introduction, install folder, options, install step and
// finish page.
#pragma once
#include "controls.h"
#include "folder_list.h"
#include "image.h"
#include "title_form.h"
#include "tooltip.h"
#include "window.h"
#include "wizard_pages.h"

namespace setup {

class TQV_Inst1 : public fw::Form {
public:
    explicit TQV_Inst1(TQV_Inst& title);

protected:
    // No close box, and Alt+F4 does not close the wizard either.
    fw::CloseAction onClose() override { return fw::CloseAction::Ignore; }

private:
    enum Page { tab00, tab10, tab20, tab30, tab40 };

    void FormCreate();
    void dirListChange();
    void btnNextClick();
    void btnBackClick();
    void btnCancelClick();
    void qhClick();
    void showPage(int page);
    void UpdateButtons();
    // Copies the files, then the shortcuts and the uninstall entry; false
    // after a failed copy (the program is ending).
    bool installStep();

    TQV_Inst& title_;
    std::wstring FInsDir;
    std::wstring sourceFolder_;

    fw::WizardPages pctl0;
    fw::TabSheet& tab00Page;
    fw::TabSheet& tab10Page;
    fw::TabSheet& tab20Page;
    fw::TabSheet& tab30Page;
    fw::TabSheet& tab40Page;

    fw::Label lblNotice;
    fw::Edit memReadMe;
    fw::Label lblStart;

    fw::Label Label1;
    fw::GroupBox grpInsDir;
    fw::Label lblInsDir;
    fw::DirectoryList dirList;
    fw::DriveCombo drvList;
    fw::Label Label4;

    fw::Label Label2;
    fw::GroupBox grpOption;
    fw::CheckBox chkStartup, chkDesktop, chkStartMenu;

    fw::Label Label3;
    fw::ListBox lstCopyFile;

    fw::Label lblEnd;
    fw::GroupBox grpFinish;
    fw::CheckBox chkRun, chkReadMe;
    fw::Label Label6, Label5;
    fw::GroupBox grpAuthor;
    fw::Image qh;
    fw::Label lblURL, lblEMail, lblCopyright;

    fw::Bevel bvlLine;
    fw::Button btnBack, btnNext, btnCancel;
    fw::ToolTip tips_;
};

}  // namespace setup
