// The program's own window messages, numbered here and nowhere else.
#pragma once
#include <windows.h>

namespace ztp {

// Posted to the UI thread when a search ends: wakes the search wait's loop.
constexpr UINT kMsgSearchDone = WM_APP + 1;
// Posted to the splash screen: it destroys itself.
constexpr UINT kMsgReleaseSplash = WM_APP + 20;

}  // namespace ztp
