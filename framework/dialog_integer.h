#pragma once

// How the platform reads an integer out of a dialog field. Kept apart from
// the rest of data exchange so that it can be checked, and fuzzed, alone.

#include <optional>
#include <string_view>

// Only the first 31 characters count; leading blanks and tabs are skipped,
// an optional sign and decimal digits are read with saturation at the 32-bit
// limits, and only blanks and tabs may follow. A result of 0 whose first
// non-blank is not '0' (an empty field, "-0", "+0", a lone sign) fails.
std::optional<int> ParseDialogInteger(std::u16string_view text);
