#pragma once

// The eight rate buttons and the rate each chooses, in identifier order,
// which is also the order the arrow keys walk them in. Written out here, not
// taken from the dialog, so that a button wired to the wrong rate fails.

#include "resource.h"

#include <array>
#include <cstdint>

namespace testsupport {

struct RateButton {
    int id;
    std::uint32_t hz;
};

inline constexpr std::array<RateButton, 8> kRateButtons{{{IDC_RATE_22050, 22050},
                                                         {IDC_RATE_11025, 11025},
                                                         {IDC_RATE_8000, 8000},
                                                         {IDC_RATE_44100, 44100},
                                                         {IDC_RATE_48000, 48000},
                                                         {IDC_RATE_64000, 64000},
                                                         {IDC_RATE_88200, 88200},
                                                         {IDC_RATE_96000, 96000}}};

} // namespace testsupport
