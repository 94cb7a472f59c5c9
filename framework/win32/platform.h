#pragma once

// The platform's own header, for framework/win32 alone. The framework's
// declarations of the same types and constants come first (they must, or the
// platform's macros would rewrite them), and the macros that rename
// functions by character set are undone afterwards, so that the framework's
// members of those names (CWnd::SendMessage, CWinApp::WinHelp, ...) keep
// them here as they do everywhere else.

#include "win_types.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DefWindowProc
#undef GetDlgItemText
#undef GetWindowText
#undef SendMessage
#undef SetDlgItemText
#undef SetWindowText
#undef WinHelp
