// A stranger's DLL, as someone who can write to the program's folder would
// plant it there under a system DLL's name: every function the system DLL
// exports is here too, as a stub that fails, and loading it leaves
// "<its own path>.loaded" beside it, which the planting test looks for.

#include <windows.h>

#include <cwchar>

extern "C" __declspec(dllexport) DWORD_PTR PlantedStub()
{
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t marker[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    std::wcscpy(marker + length, L".loaded");
    const HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
