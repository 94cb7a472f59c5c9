#pragma once

#include "win_types.h"

#include <string>
#include <string_view>

// A message box captioned with the application's name, owned by the active
// dialog. Returns the button pressed (IDOK).
int AfxMessageBox(std::u16string_view text, UINT nType = MB_OK);

// The application's name: the program file's name without its extension.
std::u16string AfxGetAppName();
