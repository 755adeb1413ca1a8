// ztp.exe: start-up and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "application.h"
#include "main_form.h"
#include "mci_api.h"
#include "splash.h"
#include "version_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    fw::restrictDllSearch();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    fw::Application& app = fw::app();
    try {
        // The splash screen first, painted before anything else happens.
        auto splash = std::make_unique<ztp::TSplashScreen>();
        ztp::SplashScreen = splash.get();
        splash->showNow();
        app.setTitle(L"ZTP for win32");

        // Reads disk 1 while it is created, then asks the splash to go.
        auto device = ztp::makeCdDevice();
        ztp::TfrmMain frmMain(*device);
        app.setMainForm(&frmMain);
        ztp::TfrmVersion frmVersion(frmMain.handle());
        ztp::frmVersion = &frmVersion;

        frmMain.show();
        int rc = app.run();
        ztp::frmVersion = nullptr;
        app.setMainForm(nullptr);
        return rc;
    } catch (const std::exception& e) {
        ztp::SplashScreen = nullptr;
        fw::Application::showFatal(e);
        return 1;
    }
}
