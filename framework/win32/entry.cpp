#include "platform.h"
#include "system_dlls.h"
#include "win_app.h"

#include <cstdlib>

int WINAPI wWinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPWSTR /*lpCmdLine*/, int /*nShowCmd*/)
{
    afx::LoadDllsFromSystemFolderOnly();
    return AfxWinMain(__argc, __argv);
}
