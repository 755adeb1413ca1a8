// Message boxes and the modal input dialog.
#pragma once
#include <windows.h>

#include <string>

namespace fw {

// The program's message: caption "ZTP", OK, information icon, set-foreground.
void programMessage(HWND owner, const std::wstring& text);

// A modal dialog with a prompt and an edit field holding defaultValue fully
// selected (at most 255 characters), and the buttons "OK" and "ｷｬﾝｾﾙ".
// OK gives the field's text; Cancel or closing gives defaultValue.
std::wstring inputBox(HWND owner, const std::wstring& caption, const std::wstring& prompt,
                      const std::wstring& defaultValue);

}  // namespace fw
