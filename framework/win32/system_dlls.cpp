#include "system_dlls.h"

#include "platform.h"

#include <delayimp.h>

#include <string>

namespace afx {

namespace {

// How a DLL found by its full path finds its own imports: in the system
// folder only where the system can say so, else its own folder first.
DWORD g_loadFlags = LOAD_WITH_ALTERED_SEARCH_PATH;

// The delay-load helper asks before it loads a DLL by name; this loads it
// from the system folder by its full path instead, and its own imports
// from there first. It is the only guard on systems without
// SetDefaultDllDirectories (Vista, 7 without its update).
FARPROC WINAPI LoadFromSystemFolder(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary)
        return nullptr;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    for (const char* c = info->szDll; *c != '\0'; ++c)
        path += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return reinterpret_cast<FARPROC>(LoadLibraryExW(path.c_str(), nullptr, g_loadFlags));
}

} // namespace

void LoadDllsFromSystemFolderOnly()
{
    // Looked up, not imported: Vista and an un-updated 7 lack it, and a
    // missing import would keep the program from starting at all.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        g_loadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    // Without it, at least not the current folder either.
    SetDllDirectoryW(L"");
    __pfnDliNotifyHook2 = LoadFromSystemFolder;
}

} // namespace afx
