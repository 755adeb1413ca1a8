// The application object: title, main form, message loop, error boxes and
// the screen cursor.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

#include "screen_cursor.h"

namespace fw {

class Form;

// DLLs loaded at run time by name come from System32 only, never from the
// program's folder or the current one. Called first thing in each program.
void restrictDllSearch();

class Application {
public:
    static Application& instance();

    void setTitle(std::wstring t) { title_ = std::move(t); }
    const std::wstring& title() const { return title_; }

    void setMainForm(Form* f) { mainForm_ = f; }
    Form* mainForm() const { return mainForm_; }
    // The window that owns the program's message boxes.
    HWND ownerWindow() const;

    // Runs the message loop until WM_QUIT; returns its exit code.
    int run();

    // The general error box: the exception's message and ".", caption = title.
    void showException(const std::exception& e) noexcept;
    // Called in a catch block: shows whatever is being handled.
    void handleCurrentException() noexcept;
    // The box for an error that ends the program.
    static void showFatal(const std::exception& e) noexcept;

    ScreenCursor& cursor();

private:
    Application() = default;
    std::wstring title_;
    Form* mainForm_ = nullptr;
};

inline Application& app() { return Application::instance(); }

}  // namespace fw
