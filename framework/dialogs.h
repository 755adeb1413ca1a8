// Message boxes and the modal input dialog.
#pragma once
#include <windows.h>

#include <string>
#include <utility>

namespace fw {

// A message with OK, the given icon and set-foreground.
void message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon);

// A question with Yes and No (caption, question icon, set-foreground);
// false only when the answer is No.
bool askYesNo(HWND owner, const std::wstring& text, const std::wstring& caption);

// The common save dialog. One object keeps the last chosen name and offers
// it again on the next run.
struct SaveDialogProps {
    std::wstring title;
    std::wstring filter;  // "Description|*.ext|...", as pairs split by '|'
    std::wstring defaultExt;
    bool overwritePrompt = true;
    bool hideReadOnly = true;
};

class SaveDialog {
public:
    explicit SaveDialog(SaveDialogProps p) : props_(std::move(p)) {}
    // True when the user chose a name (fileName() holds it); false when
    // cancelled. Throws EWin32Error when the dialog fails.
    bool execute(HWND owner);
    const std::wstring& fileName() const { return fileName_; }

private:
    SaveDialogProps props_;
    std::wstring fileName_;
};

// A modal dialog with a prompt and an edit field holding defaultValue fully
// selected (at most 255 characters), and the buttons "OK" and "ｷｬﾝｾﾙ".
// OK gives the field's text; Cancel or closing gives defaultValue.
std::wstring inputBox(HWND owner, const std::wstring& caption, const std::wstring& prompt,
                      const std::wstring& defaultValue);

}  // namespace fw
