#pragma once

namespace afx {

// From here on every DLL the process loads by name, the delay-loaded ones
// included, comes from the system folder, never from the program's own
// folder, where anyone who can write there could have put one. Called first
// thing in the entry point, before anything loads a DLL.
void LoadDllsFromSystemFolderOnly();

} // namespace afx
