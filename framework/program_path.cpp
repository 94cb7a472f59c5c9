#include "program_path.h"

namespace afx {

namespace {

#if defined(_WIN32)
constexpr std::u16string_view kSeparators = u"\\/";
#else
constexpr std::u16string_view kSeparators = u"/";
#endif

// Where the file name starts and where its extension does (the name's end
// when it has none; a leading dot starts a name, not an extension).
struct NameParts {
    std::size_t name;
    std::size_t extension;
};

NameParts Split(std::u16string_view path)
{
    const std::size_t slash = path.find_last_of(kSeparators);
    const std::size_t name = slash == std::u16string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind(u'.');
    const bool hasExtension = dot != std::u16string_view::npos && dot > name;
    return {name, hasExtension ? dot : path.size()};
}

} // namespace

std::u16string ProgramName(std::u16string_view programPath)
{
    const NameParts parts = Split(programPath);
    return std::u16string(programPath.substr(parts.name, parts.extension - parts.name));
}

std::u16string HelpFilePath(std::u16string_view programPath)
{
    return std::u16string(programPath.substr(0, Split(programPath).extension)) + u".HLP";
}

} // namespace afx
