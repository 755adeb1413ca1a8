// A stand-in for a DLL planted beside a program (built as
// planted_winmm.dll, copied as winmm.dll): it exports winmm's two MCI calls,
// which fail, and leaves "<its own path>.loaded" in any process that loads
// it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    lstrcatW(path, L".loaded");
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI mciSendCommandW(UINT, UINT, DWORD_PTR, DWORD_PTR) {
    return 266;  // MCIERR_CANNOT_LOAD_DRIVER
}

extern "C" __declspec(dllexport) BOOL WINAPI mciGetErrorStringW(DWORD, LPWSTR, UINT) {
    return FALSE;
}
