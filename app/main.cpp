// ztp.exe: start-up and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>

#include "application.h"
#include "main_form.h"
#include "mci_api.h"
#include "product.h"
#include "splash.h"
#include "utf.h"
#include "version_form.h"
#include "virtual_changer.h"
#include "win_mci.h"

namespace {

void postNotify(DWORD_PTR callback, UINT flags, MCIDEVICEID device) {
    if (callback)
        PostMessageW(reinterpret_cast<HWND>(callback), MM_MCINOTIFY, flags,
                     static_cast<LPARAM>(device));
}

// The CD device: winmm, or the virtual changer when ZTP_DISCS names a disc
// file (a Windows or Unix path), as the tests and the screenshots run the
// program. The changer's notifications are posted as MM_MCINOTIFY to the
// open or play callback.
std::unique_ptr<ztp::MciApi> cdDevice() {
    const wchar_t* discs = _wgetenv(L"ZTP_DISCS");
    if (discs && *discs)
        return std::make_unique<ztp::VirtualChanger>(ztp::wineDosPath(fw::narrow(discs)),
                                                     ztp::VirtualChanger::Clock{}, postNotify);
    return ztp::makeWinMci();
}

}  // namespace

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
        app.setTitle(product::kName);

        // Reads disk 1 while it is created, then asks the splash to go.
        auto device = cdDevice();
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
