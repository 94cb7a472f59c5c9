#pragma once

// Keeps every ALSA plugin module that is loaded now loaded for the life of
// the process. Call after initialising the audio library.
void KeepHostPluginsResident();
