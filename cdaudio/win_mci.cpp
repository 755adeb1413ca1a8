// The winmm CD audio device and the choice between it and the changer.
#include <cstdlib>
#include <memory>
#include <string>

#include "mci_api.h"
#include "virtual_changer.h"

namespace ztp {
namespace {

std::string toUtf8(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<std::size_t>(n - 1));
    return s;
}

class WinMci : public MciApi {
public:
    MCIERROR sendCommand(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) override {
        return mciSendCommandW(device, msg, flags, reinterpret_cast<DWORD_PTR>(params));
    }
    bool errorText(MCIERROR code, std::string& text) override {
        static wchar_t buf[4096];
        buf[0] = 0;
        if (!mciGetErrorStringW(code, buf, 4096) || !buf[0]) return false;
        text = toUtf8(buf);
        return !text.empty();
    }
};

void postNotify(DWORD_PTR callback, UINT flags, MCIDEVICEID device) {
    if (callback)
        PostMessageW(reinterpret_cast<HWND>(callback), MM_MCINOTIFY, flags, static_cast<LPARAM>(device));
}

}  // namespace

std::unique_ptr<MciApi> makeWinMci() { return std::make_unique<WinMci>(); }

std::unique_ptr<MciApi> makeCdDevice() {
    const wchar_t* discs = _wgetenv(L"ZTP_DISCS");
    if (discs && *discs)
        return std::make_unique<VirtualChanger>(wineDosPath(toUtf8(discs)), VirtualChanger::Clock{},
                                                postNotify);
    return makeWinMci();
}

}  // namespace ztp
