#include "shell_open.h"

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "com_ptr.h"

namespace fw {
namespace {

// The desktop's shell: the desktop window's folder view and its
// Shell.Application object. False when any step is missing.
bool desktopShellOpen(const std::wstring& file, int show) {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.putVoid())))
        return false;
    Variant location, root;
    location.v.vt = VT_I4;
    location.v.lVal = CSIDL_DESKTOP;
    long desktop = 0;
    ComPtr<IDispatch> found;
    if (windows->FindWindowSW(&location.v, &root.v, SWC_DESKTOP, &desktop, SWFO_NEEDDISPATCH,
                              found.put()) != S_OK ||
        !found)
        return false;
    ComPtr<IServiceProvider> services;
    if (FAILED(found->QueryInterface(IID_IServiceProvider, services.putVoid()))) return false;
    ComPtr<IShellBrowser> browser;
    if (FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.putVoid())))
        return false;
    ComPtr<IShellView> view;
    if (FAILED(browser->QueryActiveShellView(view.put())) || !view) return false;
    ComPtr<IDispatch> background;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.putVoid())))
        return false;
    ComPtr<IShellFolderViewDual> folderView;
    if (FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.putVoid())))
        return false;
    ComPtr<IDispatch> application;
    if (FAILED(folderView->get_Application(application.put())) || !application) return false;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(application->QueryInterface(IID_IShellDispatch2, shell.putVoid()))) return false;

    // The desktop's process may bring what it starts to the front.
    DWORD shellProcess = 0;
    if (GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(desktop)),
                                 &shellProcess))
        AllowSetForegroundWindow(shellProcess);

    BString name(file.c_str());
    if (!name.get()) return false;
    Variant args, dir, verb, how;
    verb.v.vt = VT_BSTR;
    verb.v.bstrVal = SysAllocString(L"open");
    how.v.vt = VT_I4;
    how.v.lVal = show;
    HRESULT hr = verb.v.bstrVal ? shell->ShellExecute(name.get(), args.v, dir.v, verb.v, how.v)
                                : E_OUTOFMEMORY;
    return SUCCEEDED(hr);
}

}  // namespace

void shellOpen(HWND owner, const std::wstring& file, int show) {
    ComScope com;
    if (desktopShellOpen(file, show)) return;
    ShellExecuteW(owner, L"open", file.c_str(), nullptr, nullptr, show);
}

}  // namespace fw
