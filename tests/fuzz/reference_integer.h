#pragma once

// A second, independent reading of a dialog integer field, built on the C
// library's strtoll instead of a hand-written loop, for the fuzzer to hold
// the real one against.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace reference {

inline std::optional<int> ParseDialogInteger(std::u16string_view field)
{
    // What the platform's 32-character buffer holds.
    std::u16string_view text = field.substr(0, 31);
    std::string ascii;
    for (const char16_t c : text)
        ascii.push_back(c < 0x80 ? static_cast<char>(c) : '\x7f'); // never blank, sign or digit
    if (ascii.find('\0') != std::string::npos)
        ascii.resize(ascii.find('\0')); // a C string ends there; see below

    const std::size_t start = ascii.find_first_not_of(" \t");
    if (start == std::string::npos)
        return std::nullopt; // empty or blank: reads as 0 without a leading '0'
    const char first = ascii[start];
    // strtoll would also skip newlines and other spaces; the field does not.
    if (first != '+' && first != '-' && (first < '0' || first > '9'))
        return std::nullopt;
    const char* begin = ascii.c_str() + start;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(begin, &end, 10);
    if (end == begin)
        return std::nullopt; // a lone sign
    if (first == '+' || first == '-') {
        // strtoll accepts blanks between sign and digits; the field does not.
        if (begin[1] < '0' || begin[1] > '9')
            return std::nullopt;
    }
    value = value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value;
    if (value == 0 && first != '0')
        return std::nullopt;
    const std::string_view rest(end);
    if (rest.find_first_not_of(" \t") != std::string_view::npos)
        return std::nullopt;
    // Characters after an embedded NUL were cut above; the real reader sees
    // them as trailing junk unless they are blanks.
    const std::size_t nul = std::u16string_view(text).find(u'\0');
    if (nul != std::u16string_view::npos && text.substr(nul).find_first_not_of(u" \t") != std::u16string_view::npos)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace reference
