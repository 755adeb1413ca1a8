// The application object: title, main form, the message loop, error boxes
// and the screen cursor.
#pragma once
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "screen_cursor.h"

namespace fw {

class Form;

// DLLs loaded at run time by name come from System32 only, never from the
// program's folder or the current one. Called first thing in each program.
void restrictDllSearch();

// Handling of a message before it is dispatched (a form's keys), in the
// program's message loop and in nested ones alike.
class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    // True when the message was used: it is not dispatched then.
    virtual bool filterMessage(const MSG& msg) = 0;
};

class Application {
public:
    static Application& instance();

    void setTitle(std::wstring t) { title_ = std::move(t); }
    const std::wstring& title() const { return title_; }

    void setMainForm(Form* f) { mainForm_ = f; }
    Form* mainForm() const { return mainForm_; }
    // The window that owns the program's message boxes.
    HWND ownerWindow() const;

    // Filters see every message of the loops below, in the order added.
    void addFilter(MessageFilter* f);
    void removeFilter(MessageFilter* f);

    // Runs the message loop until WM_QUIT; returns its exit code.
    int run();
    // A nested loop's turn: handles the messages waiting now as run() does.
    // False when WM_QUIT came, with its exit code in quitCode; the loop that
    // took it posts it again when it ends.
    bool processMessages(int& quitCode);

    // The general error box: the exception's message and ".", caption = title.
    void showException(const std::exception& e) noexcept;
    // Called in a catch block: shows whatever is being handled.
    void handleCurrentException() noexcept;
    // The box for an error that ends the program.
    static void showFatal(const std::exception& e) noexcept;

    ScreenCursor& cursor();

private:
    Application() = default;
    // The filters, then TranslateMessage and DispatchMessage.
    void dispatch(MSG& msg);

    std::wstring title_;
    Form* mainForm_ = nullptr;
    std::vector<MessageFilter*> filters_;
};

inline Application& app() { return Application::instance(); }

}  // namespace fw
