#pragma once

#include "icon.h"

// IDR_MAINFRAME: the application icon, as the Linux build draws it (16x16
// and 32x32). The Windows build loads it from the program's resources
// (app/tonegen.rc.in) with every size the Windows shell asks for.
extern const IconResource g_mainFrameIcon;
