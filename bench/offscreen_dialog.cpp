#include "offscreen_dialog.h"

#include "sine_table.h"

#include <cstdlib>

namespace bench {

OffscreenDialog::Offscreen::Offscreen()
{
    // Runs where no display exists (CI, ssh) and opens no window where one does.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

OffscreenDialog::OffscreenDialog(int& argc, char** argv, std::uint32_t rate, std::uint32_t frequency) : app_(argc, argv)
{
    g_sampleRate = rate;
    dlg_.m_frequency = frequency;
    dlg_.InitOutput();
}

} // namespace bench
