#pragma once

// Names the framework derives from the program file's path, the same way on
// every platform.

#include <string>
#include <string_view>

namespace afx {

// The file's name without its directory and its extension: the application's
// name, which captions its message boxes.
std::u16string ProgramName(std::u16string_view programPath);

// The full path with the extension replaced by ".HLP": the program's help file.
std::u16string HelpFilePath(std::u16string_view programPath);

} // namespace afx
