// Driving a running ztp.exe from another process: finding its windows,
// reading what they show, pressing buttons and answering dialogs.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

std::wstring windowText(HWND h);
std::wstring className(HWND h);
// Every descendant of root, depth first in z-order.
std::vector<HWND> descendants(HWND root);
// The descendant of the given class whose text is text (any text if empty).
HWND findChild(HWND root, const std::wstring& cls, const std::wstring& text = L"", int nth = 0);
// The sibling right after the one with this class and text (a label's value).
HWND nextSibling(HWND h);

std::vector<std::wstring> listItems(HWND list);
void setListSelection(HWND list, const std::vector<int>& items);

// Visible top-level windows of a process (any process if pid is 0) with
// this class and caption (any if empty).
std::vector<HWND> topWindows(DWORD pid, const std::wstring& cls, const std::wstring& caption);

// Whether Wine's crash dialog (winedbg, started by the crashing process)
// is up for the process pid: a program that crashed stays alive, hung,
// while it is.
bool crashDialogUp(DWORD pid);
// Whether the window's thread answers a message within the time.
bool responsive(HWND h, std::chrono::milliseconds timeout = 5s);

// Polls until f() is true or the time is up.
bool waitFor(const std::function<bool()>& f, std::chrono::milliseconds timeout = 10s);

// A running program (ztp.exe or setup.exe).
class Program {
public:
    // discs: the ZTP_DISCS value, or nullptr to start without it; args
    // follow the program's quoted path on its command line.
    Program(const std::wstring& exe, const wchar_t* discs, const std::wstring& args = L"");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD pid() const { return pi_.dwProcessId; }
    // Top-level windows of this process with the class and caption given.
    std::vector<HWND> topWindows(const std::wstring& cls, const std::wstring& caption) const;
    HWND waitTop(const std::wstring& cls, const std::wstring& caption,
                 std::chrono::milliseconds timeout = 10s) const;
    // The main window (class TfrmMain, "ZTP for win32") once it is shown.
    HWND waitMain(std::chrono::milliseconds timeout = 15s) const;
    // A dialog "#32770" with this caption; withEdit tells the title prompt
    // from a message box.
    HWND waitDialog(const std::wstring& caption, bool withEdit,
                    std::chrono::milliseconds timeout = 10s) const;
    // Waits for the process to end; false if it does not in time.
    bool waitExit(std::chrono::milliseconds timeout = 10s, DWORD* code = nullptr);

private:
    PROCESS_INFORMATION pi_{};
};

// The text of a message box (its static texts joined).
std::wstring dialogText(HWND dlg);
void pressButton(HWND button);
// Answers the title prompt with text and OK.
void answerPrompt(HWND dlg, const std::wstring& text);
// The window that has the keyboard focus in w's thread.
HWND focusOf(HWND w);
// Real key strokes (the keyboard state changes, as Ctrl+Tab needs) into
// the foreground window: each key of the chord down in order, then up in
// reverse order.
void pressKeys(HWND window, std::initializer_list<WORD> chord);
// Clicks the tab at index on a tab control as a mouse click would.
void clickTab(DWORD pid, HWND tab, int index);
int currentTab(HWND tab);
// The caption of the tab shown on a tab control of process pid.
std::wstring tabCaption(DWORD pid, HWND tab);

// Sends msg to a window of process pid with a Block in that process: fill
// sets up the block (given its remote address), the block comes back.
template <class Block, class Fill>
Block remoteSend(DWORD pid, HWND h, UINT msg, WPARAM wp, Fill fill) {
    Block local{};
    HANDLE proc =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return local;
    auto* remote = static_cast<Block*>(
        VirtualAllocEx(proc, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE));
    fill(local, remote);
    WriteProcessMemory(proc, remote, &local, sizeof local, nullptr);
    SendMessageW(h, msg, wp, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(proc, remote, &local, sizeof local, nullptr);
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    return local;
}

// Writes a window rectangle as "W H X Y" (the screenshot scripts crop to it).
void writeRect(const std::wstring& file, const RECT& r);
void writeRect(const std::wstring& file, HWND window);

}  // namespace e2e
