#include "dialog_integer.h"

#include <algorithm>
#include <cstdint>
#include <limits>

std::optional<int> ParseDialogInteger(std::u16string_view text)
{
    // The platform reads the field into a 32-character buffer: what lies
    // beyond the 31st character is never seen.
    text = text.substr(0, 31);
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const char16_t first = i < text.size() ? text[i] : u'\0';

    bool negative = false;
    std::size_t p = i;
    if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    const std::size_t digitsStart = p;
    std::int64_t magnitude = 0;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    while (p < text.size() && text[p] >= u'0' && text[p] <= u'9') {
        magnitude = std::min(limit, magnitude * 10 + (text[p] - u'0'));
        ++p;
    }
    // Without digits nothing was converted, and the whole text remains.
    if (p == digitsStart)
        p = i;
    std::int64_t value = negative ? -magnitude : magnitude;
    value = std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());

    if (value == 0 && first != u'0')
        return std::nullopt;
    while (p < text.size() && isBlank(text[p]))
        ++p;
    if (p != text.size())
        return std::nullopt;
    return static_cast<int>(value);
}
