#include "string_list.h"

namespace fw {

StringList::StringList(Window& parent, const StringListProps& p) {
    createSystem(L"LISTBOX", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                 WS_EX_CLIENTEDGE, parent.handle(), p.bounds, L"");
}

void StringList::clear() { SendMessageW(handle(), LB_RESETCONTENT, 0, 0); }

void StringList::add(const std::wstring& text) {
    SendMessageW(handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int StringList::count() const { return int(SendMessageW(handle(), LB_GETCOUNT, 0, 0)); }

std::wstring StringList::item(int i) const {
    LRESULT n = SendMessageW(handle(), LB_GETTEXTLEN, WPARAM(i), 0);
    if (n < 0) return {};
    std::wstring s(size_t(n) + 1, L'\0');
    n = SendMessageW(handle(), LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(size_t(n < 0 ? 0 : n));
    return s;
}

void StringList::select(int i) {
    SendMessageW(handle(), LB_SETCURSEL, WPARAM(i), 0);
    UpdateWindow(handle());
}

}  // namespace fw
