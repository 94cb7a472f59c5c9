#pragma once

#include "win_types.h"

#include <string>
#include <string_view>

class CWnd;

// A message box captioned with the application's name, owned by `owner` or,
// without one, by the active modal window or the application's main window.
// Returns the button pressed (IDOK).
int AfxMessageBox(std::u16string_view text, UINT nType = MB_OK, CWnd* owner = nullptr);

// The application's name: the program file's name without its extension.
std::u16string AfxGetAppName();
