#include "memo.h"

namespace fw {

Memo::Memo(Window& parent, const MemoProps& p) {
    createSystem(L"EDIT",
                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                     ES_AUTOVSCROLL,
                 WS_EX_CLIENTEDGE, parent.handle(), p.bounds, p.text);
}

}  // namespace fw
