#include "application.h"

#include <algorithm>

#include "exceptions.h"
#include "utf.h"
#include "window.h"

namespace fw {
namespace {

class Win32ScreenCursor : public ScreenCursor {
public:
    void set(Cursor c) override {
        current_ = c;
        SetCursor(LoadCursorW(nullptr, c == Cursor::HourGlass ? IDC_WAIT : IDC_ARROW));
        if (c == Cursor::Default) {
            // Let the window under the mouse choose its own cursor again.
            POINT p;
            if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
        }
    }
    Cursor current() const override { return current_; }

private:
    Cursor current_ = Cursor::Default;
};

}  // namespace

void restrictDllSearch() {
    // Looked up, not imported: a Windows 7 without the update that brought
    // it still starts the program.
    using SetDirs = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (auto set = reinterpret_cast<SetDirs>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
            set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

Application& Application::instance() {
    static Application a;
    return a;
}

ScreenCursor& Application::cursor() {
    static Win32ScreenCursor c;
    return c;
}

HWND Application::ownerWindow() const {
    HWND active = GetActiveWindow();
    if (active) return active;
    return mainForm_ ? mainForm_->handle() : nullptr;
}

void Application::addFilter(MessageFilter* f) { filters_.push_back(f); }

void Application::removeFilter(MessageFilter* f) {
    filters_.erase(std::remove(filters_.begin(), filters_.end(), f), filters_.end());
}

void Application::dispatch(MSG& msg) {
    bool used = false;
    try {
        // By index: a filter may run a nested loop that adds or removes filters.
        for (size_t i = 0; i < filters_.size() && !used; ++i)
            used = filters_[i]->filterMessage(msg);
    } catch (...) {
        handleCurrentException();
        used = true;
    }
    if (used) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int Application::run() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return static_cast<int>(msg.wParam);
}

bool Application::processMessages(int& quitCode) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = int(msg.wParam);
            return false;
        }
        dispatch(msg);
    }
    return true;
}

void Application::showException(const std::exception& e) noexcept {
    try {
        std::wstring text = exceptionMessage(e) + L".";
        MessageBoxW(ownerWindow(), text.c_str(), title_.c_str(), MB_ICONERROR | MB_OK);
    } catch (...) {}
}

void Application::handleCurrentException() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showException(std::runtime_error("原因不明のｴﾗｰ"));
    }
}

void Application::showFatal(const std::exception& e) noexcept {
    try {
        std::wstring message = exceptionMessage(e);
        if (message.empty() || (message.back() != L'.' && message.back() != L'。')) message += L".";
        std::wstring text = L"例外 " + widen(exceptionClassName(e)) +
                            L" が発生したため、プログラムを終了します。\r\n\r\n" + message;
        MessageBoxW(nullptr, text.c_str(), L"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ",
                    MB_ICONERROR | MB_OK | MB_SETFOREGROUND | MB_TASKMODAL);
    } catch (...) {}
}

}  // namespace fw
