// The about box: product, version, notice, and the button that opens the
// project's web page. Shown without blocking the main window; closing only
// hides it.
#pragma once
#include "controls.h"
#include "image.h"
#include "window.h"

namespace ztp {

extern const wchar_t* const kProjectPage;

class TfrmVersion : public fw::Form {
public:
    explicit TfrmVersion(HWND owner);
    // Makes it visible and brings it to the front.
    void showBox();

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

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
