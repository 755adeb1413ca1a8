// setup.exe: the installer's entry. No arguments: the wizard; -R or /R:
// uninstall; anything else: end at once.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "actions.h"
#include "application.h"
#include "com_ptr.h"
#include "setup_logic.h"
#include "title_form.h"
#include "wizard_form.h"

namespace {

std::vector<std::wstring> arguments() {
    std::vector<std::wstring> out;
    int n = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!argv) return out;
    for (int i = 1; i < n; ++i) out.emplace_back(argv[i]);
    LocalFree(argv);
    return out;
}

int runWizard() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    fw::Application& app = fw::app();
    app.setTitle(setup::kSetupCaption);
    setup::TQV_Inst QV_Inst;
    app.setMainForm(&QV_Inst);
    setup::TQV_Inst1 QV_Inst1(QV_Inst);
    QV_Inst.show();
    QV_Inst1.show();
    SetForegroundWindow(QV_Inst1.handle());
    int rc = app.run();
    app.setMainForm(nullptr);
    return rc;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    fw::restrictDllSearch();
    fw::ComScope com;
    int rc = 0;
    try {
        switch (setup::commandMode(arguments())) {
            case setup::Mode::Wizard: rc = runWizard(); break;
            case setup::Mode::Uninstall: rc = setup::uninstall(); break;
            case setup::Mode::Quit: break;
        }
    } catch (const std::exception& e) {
        fw::Application::showFatal(e);
        rc = 1;
    }
    return rc;
}
