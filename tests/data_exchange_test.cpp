#include "data_exchange.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <utility>

namespace {

TEST(ParseDialogInteger, ReadsFieldsAsThePlatformDoes)
{
    // No value: the field fails.
    const std::pair<std::u16string, std::optional<int>> cases[] = {
        {u"", std::nullopt},
        {u"0", 0},
        {u"-0", std::nullopt},
        {u"+0", std::nullopt},
        {u" 12 ", 12},
        {u"\t7", 7},
        {u"7\t \t", 7},
        {u"12a", std::nullopt},
        {u"1 2", std::nullopt},
        {u"2147483647", INT_MAX},
        {u"2147483648", INT_MAX},
        {u"-2147483648", INT_MIN},
        {u"-2147483649", INT_MIN},
        {u"99999999999999999999", INT_MAX},
        {u"00012", 12},
        {u"000", 0},
        {u"  0  ", 0},
        {u"+15", 15},
        {u"-15", -15},
        {u"-", std::nullopt},
        {u"+", std::nullopt},
        {u"   ", std::nullopt},
        {u"--5", std::nullopt},
        {u"0x10", std::nullopt},
        {u"\n5", std::nullopt},
        {u"１２", std::nullopt}, // full-width digits are not digits here
        // Only 31 characters are read: a 40-character number is cut to its
        // first 31 digits (and saturates); junk beyond them is never seen.
        {std::u16string(40, u'9'), INT_MAX},
        {std::u16string(30, u' ') + u"5" + u"xyz", 5},
        {std::u16string(31, u' ') + u"5", std::nullopt},
        {u"0000000000000000000000000000001abc", 1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseDialogInteger(text), value) << std::string(text.begin(), text.end());
}

} // namespace
