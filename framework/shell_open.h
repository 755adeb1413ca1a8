// Opening a file, program or web page through the Windows shell.
#pragma once
#include <windows.h>

#include <string>

namespace fw {

// The shell's "open" of file (no parameters, no working directory), run by
// the desktop's own shell, so as the user signed in and without this
// program's rights (an installer's administrator token). Where no desktop
// shell answers, ShellExecuteW opens it from this program, owned by owner.
// Nothing is reported either way.
void shellOpen(HWND owner, const std::wstring& file, int show);

}  // namespace fw
