// ztp.exe: start-up and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "application.h"
#include "mci_api.h"
#include "main_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    fw::Application& app = fw::app();
    app.setTitle(L"ZTP for win32");
    try {
        auto device = ztp::makeCdDevice();
        ztp::TfrmMain frmMain(*device);
        app.setMainForm(&frmMain);
        frmMain.show();
        int rc = app.run();
        app.setMainForm(nullptr);
        return rc;
    } catch (const std::exception& e) {
        fw::Application::showFatal(e);
        return 1;
    }
}
