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

std::wstring StringList::item(int i) const { return listBoxItem(handle(), i); }

void StringList::select(int i) {
    SendMessageW(handle(), LB_SETCURSEL, WPARAM(i), 0);
    UpdateWindow(handle());
}

}  // namespace fw
