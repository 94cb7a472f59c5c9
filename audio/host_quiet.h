#pragma once

// Stops the host audio libraries under PortAudio (ALSA, JACK) from printing
// their device-probe chatter on stderr. Idempotent; call before initialising.
void QuietHostLibraries();
