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
    if (notification == dliStartProcessing || notification == dliNotePreGetProcAddress) {
        // The addresses the helper fills in lie among the import address
        // table's, which a loader may make read-only once it has bound the
        // imports (Wine 10 does): the page of this one must take the write.
        MEMORY_BASIC_INFORMATION page;
        constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        DWORD old = 0;
        if (info->ppfn != nullptr && VirtualQuery(info->ppfn, &page, sizeof page) == sizeof page &&
            (page.Protect & kWritable) == 0)
            VirtualProtect(info->ppfn, sizeof *info->ppfn, PAGE_READWRITE, &old);
        return nullptr;
    }
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
