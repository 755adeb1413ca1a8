#include "win_mci.h"

#include <string>

#include "utf.h"

namespace ztp {
namespace {

// winmm.dll is not a known DLL: imported by name it would be looked for in
// the program's folder first, so it is loaded from System32 only and its
// two MCI calls are taken by name.
class WinMci : public MciApi {
public:
    WinMci() {
        module_ = LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) {
            // A system without the search flags: the full System32 path.
            wchar_t dir[MAX_PATH];
            UINT n = GetSystemDirectoryW(dir, MAX_PATH);
            if (n && n < MAX_PATH)
                module_ = LoadLibraryW((std::wstring(dir, n) + L"\\winmm.dll").c_str());
        }
        if (module_) {
            send_ = reinterpret_cast<decltype(send_)>(
                reinterpret_cast<void*>(GetProcAddress(module_, "mciSendCommandW")));
            errorString_ = reinterpret_cast<decltype(errorString_)>(
                reinterpret_cast<void*>(GetProcAddress(module_, "mciGetErrorStringW")));
        }
        if (!send_ || !errorString_) {
            if (module_) FreeLibrary(module_);
            throw EMCIDeviceError("winmm.dll を読み込めません");
        }
    }
    ~WinMci() override { FreeLibrary(module_); }
    WinMci(const WinMci&) = delete;
    WinMci& operator=(const WinMci&) = delete;

    MCIERROR sendCommand(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) override {
        return send_(device, msg, flags, reinterpret_cast<DWORD_PTR>(params));
    }
    bool errorText(MCIERROR code, std::string& text) override {
        static wchar_t buf[4096];
        buf[0] = 0;
        if (!errorString_(code, buf, 4096) || !buf[0]) return false;
        text = fw::narrow(buf);
        return !text.empty();
    }

private:
    HMODULE module_ = nullptr;
    MCIERROR(WINAPI* send_)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR) = nullptr;
    BOOL(WINAPI* errorString_)(MCIERROR, LPWSTR, UINT) = nullptr;
};

}  // namespace

std::unique_ptr<MciApi> makeWinMci() { return std::make_unique<WinMci>(); }

}  // namespace ztp
