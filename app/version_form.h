// The about box: product, version, notice, and the button that opens the
// project's web page. Shown without blocking the main window; closing only
// hides it.
#pragma once
#include "controls.h"
#include "image.h"
#include "window.h"

namespace ztp {

class TfrmVersion : public fw::Form {
public:
    explicit TfrmVersion(HWND owner);
    // Makes it visible and brings it to the front.
    void showBox();

protected:
    // The close box only hides it.
    fw::CloseAction onClose() override { return fw::CloseAction::Hide; }

private:
    void OKButtonClick();
    void btnGetNewVersionClick();

    fw::Image Image1;
    fw::Panel Panel1;
    fw::Label ProductName, UserSys, Maker;
    fw::Label Label3, Label2;
    fw::Button OKButton, btnGetNewVersion;
};

extern TfrmVersion* frmVersion;

}  // namespace ztp
