// The full-screen title backdrop behind the wizard.
#pragma once
#include "image.h"
#include "window.h"

namespace setup {

class TQV_Inst : public fw::Form {
public:
    TQV_Inst();
    // The window a click on the backdrop brings to the front.
    void setWizard(HWND wizard) { wizard_ = wizard; }
    // Closes the form, which ends the program.
    void finish();

protected:
    // Alt+F4 does not end the setup; only finish() does.
    fw::CloseAction onClose() override;

private:
    void FormCreate();
    void imgMainClick();
    void paintLabels(HDC dc);

    fw::Image imgMain;
    HFONT titleFont_, authorFont_;
    POINT title0_{}, title1_{}, author_{};
    HWND wizard_ = nullptr;
    bool closing_ = false;
};

}  // namespace setup
