#pragma once

#include "icon.h"

// IDR_MAINFRAME: the application icon, 16x16 and 32x32.
extern const IconResource g_mainFrameIcon;
