#include "platform.h"
#include "win_app.h"

#include <cstdlib>

int WINAPI wWinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPWSTR /*lpCmdLine*/, int /*nShowCmd*/)
{
    return AfxWinMain(__argc, __argv);
}
