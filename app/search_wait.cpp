#include "search_wait.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "application.h"
#include "controls.h"
#include "messages.h"
#include "product.h"

namespace ztp {
namespace {

constexpr auto kProgressDelay = std::chrono::milliseconds(300);

class TfrmSearch : public fw::Form {
public:
    explicit TfrmSearch(HWND owner)
        : fw::Form({L"TfrmSearch", product::kShortName, 260, 96, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                    owner}),
          lblRunning(*this, {{16, 14, 228, 14}, L"最適なテープ時間を検索しています…"}),
          lblElapsed(*this, {{16, 34, 228, 14}, L"経過時間 : 0.0 秒"}),
          btnCancel(*this, {{88, 60, 85, 21}, L"キャンセル"}) {
        btnCancel.onClick = [this] { cancelled = true; };
        setTabOrder({&btnCancel});
    }

    void showElapsed(std::chrono::milliseconds ms) {
        wchar_t buf[64];
        std::swprintf(buf, 64, L"経過時間 : %lld.%lld 秒",
                      static_cast<long long>(ms.count() / 1000),
                      static_cast<long long>(ms.count() / 100 % 10));
        if (lblElapsed.text() != buf) lblElapsed.setText(buf);
    }

    // Its keys: Escape cancels; the others go to the button as they are.
    bool filterMessage(const MSG& msg) override {
        if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
        if (msg.hwnd != handle() && !IsChild(handle(), msg.hwnd)) return false;
        cancelled = true;
        return true;
    }

    bool cancelled = false;

protected:
    // Closing it cancels the search.
    fw::CloseAction onClose() override {
        cancelled = true;
        return fw::CloseAction::Ignore;
    }

private:
    fw::Label lblRunning, lblElapsed;
    fw::Button btnCancel;
};

}  // namespace

namespace {

// Gives the main window back on every way out of the wait, an exception
// included: enabled, active (before the progress window goes) and with the
// focus it had.
class WaitScope {
public:
    WaitScope(HWND main, std::unique_ptr<TfrmSearch>& progress)
        : main_(main), focus_(GetFocus()), progress_(progress) {
        EnableWindow(main_, FALSE);
    }
    ~WaitScope() {
        EnableWindow(main_, TRUE);
        if (progress_) {
            SetActiveWindow(main_);
            progress_.reset();
        }
        if (focus_ && IsWindow(focus_)) SetFocus(focus_);
        else SetFocus(main_);
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    HWND main_;
    HWND focus_;
    std::unique_ptr<TfrmSearch>& progress_;
};

}  // namespace

SearchWait runSearchWait(fw::Form& owner, AsyncSearch& search) {
    HWND main = owner.handle();
    DWORD thread = GetCurrentThreadId();
    search.whenDone([thread] { PostThreadMessageW(thread, kMsgSearchDone, 0, 0); });
    std::unique_ptr<TfrmSearch> progress;
    bool quit = false;
    int quitCode = 0;
    bool cancelled = false;
    {
        WaitScope scope(main, progress);
        while (!search.done() && !cancelled && !quit) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            // The program's own loop, its forms' keys included; the main
            // window's are not handled while it is disabled.
            quit = !fw::app().processMessages(quitCode);
            if (!progress && !search.done() && search.elapsed() >= kProgressDelay) {
                progress = std::make_unique<TfrmSearch>(main);
                progress->show();
            }
            if (progress) {
                progress->showElapsed(search.elapsed());
                cancelled = progress->cancelled;
            }
        }
    }
    if (quit) {
        PostQuitMessage(quitCode);
        return SearchWait::Cancelled;
    }
    return cancelled ? SearchWait::Cancelled : SearchWait::Completed;
}

}  // namespace ztp
