#include "dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "application.h"
#include "exceptions.h"
#include "window.h"

namespace fw {
namespace {

constexpr int kEditId = 100;
constexpr int kPromptId = 101;
constexpr int kMaxInput = 255;

// An in-memory dialog template, built item by item.
class DialogTemplate {
public:
    DialogTemplate(const std::wstring& caption, short w, short h, const std::wstring& face,
                   short points) {
        DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        align(4);
        putDword(style);
        putDword(0);
        countAt_ = data_.size();
        putWord(0);  // item count, set by add()
        putWord(0);
        putWord(0);
        putWord(WORD(w));
        putWord(WORD(h));
        putWord(0);  // no menu
        putWord(0);  // default class
        putString(caption);
        putWord(WORD(points));
        putString(face);
    }

    void add(WORD classAtom, const std::wstring& text, int id, DWORD style, short x, short y,
             short w, short h) {
        align(4);
        putDword(style | WS_CHILD | WS_VISIBLE);
        putDword(0);
        putWord(WORD(x));
        putWord(WORD(y));
        putWord(WORD(w));
        putWord(WORD(h));
        putWord(WORD(id));
        putWord(0xFFFF);
        putWord(classAtom);
        putString(text);
        putWord(0);  // no creation data
        ++data_[countAt_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

private:
    void align(size_t bytes) {
        while ((data_.size() * 2) % bytes) data_.push_back(0);
    }
    void putWord(WORD v) { data_.push_back(v); }
    void putDword(DWORD v) {
        putWord(LOWORD(v));
        putWord(HIWORD(v));
    }
    void putString(const std::wstring& s) {
        for (wchar_t c : s) data_.push_back(WORD(c));
        data_.push_back(0);
    }

    std::vector<WORD> data_;
    size_t countAt_ = 0;
};

struct InputState {
    std::wstring defaultValue;
    std::wstring result;
};

INT_PTR CALLBACK inputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
            case WM_INITDIALOG: {
                auto* st = reinterpret_cast<InputState*>(lp);
                SetWindowLongPtrW(dlg, DWLP_USER, lp);
                HWND edit = GetDlgItem(dlg, kEditId);
                SendMessageW(edit, EM_LIMITTEXT, kMaxInput, 0);
                SetWindowTextW(edit, st->defaultValue.c_str());
                SetFocus(edit);
                SendMessageW(edit, EM_SETSEL, 0, -1);
                return FALSE;
            }
            case WM_COMMAND: {
                auto* st = reinterpret_cast<InputState*>(GetWindowLongPtrW(dlg, DWLP_USER));
                if (LOWORD(wp) == IDOK) {
                    st->result = windowText(GetDlgItem(dlg, kEditId));
                    EndDialog(dlg, IDOK);
                    return TRUE;
                }
                if (LOWORD(wp) == IDCANCEL) {
                    st->result = st->defaultValue;
                    EndDialog(dlg, IDCANCEL);
                    return TRUE;
                }
                break;
            }
        }
    } catch (...) {
        app().handleCurrentException();
    }
    return FALSE;
}

}  // namespace

void message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon) {
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon | MB_SETFOREGROUND);
}

bool askYesNo(HWND owner, const std::wstring& text, const std::wstring& caption) {
    return MessageBoxW(owner, text.c_str(), caption.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDNO;
}

bool SaveDialog::execute(HWND owner) {
    // The filter as the dialog takes it: pairs of strings, each ended by a
    // null, and one more null at the end.
    std::wstring filter = props_.filter;
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    std::vector<wchar_t> name(32768, L'\0');
    fileName_.copy(name.data(), std::min(fileName_.size(), name.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = DWORD(name.size());
    ofn.lpstrTitle = props_.title.empty() ? nullptr : props_.title.c_str();
    ofn.lpstrDefExt = props_.defaultExt.empty() ? nullptr : props_.defaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR |
                (props_.overwritePrompt ? OFN_OVERWRITEPROMPT : 0) |
                (props_.hideReadOnly ? OFN_HIDEREADONLY : 0);
    if (!GetSaveFileNameW(&ofn)) {
        DWORD err = CommDlgExtendedError();
        if (err != 0)
            throw EWin32Error("GetSaveFileNameW failed, code " + std::to_string(err), err);
        return false;
    }
    fileName_ = name.data();
    return true;
}

std::wstring inputBox(HWND owner, const std::wstring& caption, const std::wstring& prompt,
                      const std::wstring& defaultValue) {
    // The forms' face at 9 points: a dialog unit is about 1.5 px across, 1.6 px down.
    DialogTemplate t(caption, 180, 63, kFormFont.face, 9);
    t.add(0x0082, prompt, kPromptId, SS_LEFT | SS_NOPREFIX, 6, 6, 168, 10);
    t.add(0x0081, L"", kEditId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 6, 18, 168, 12);
    t.add(0x0080, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 67, 41, 50, 14);
    t.add(0x0080, L"ｷｬﾝｾﾙ", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 123, 41, 50, 14);
    InputState st{defaultValue, defaultValue};
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, &inputProc,
                                        reinterpret_cast<LPARAM>(&st));
    if (r != IDOK) return defaultValue;
    return st.result;
}

}  // namespace fw
