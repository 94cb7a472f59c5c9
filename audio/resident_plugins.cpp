#include "resident_plugins.h"

// Every start re-initialises PortAudio, whose ALSA host then opens each PCM
// the ALSA configuration names; each stop's release closes them again, and
// alsa-lib unloads their plugin modules. Loading them anew is most of the
// start: the a52 and rate plugins alone bring in libavcodec and its hundred
// dependencies, some of which time the CPU in their constructors. Measured
// here, a probe took 31 ms with the modules unloaded between starts and 17 ms
// with them kept, and a timed tone loses whatever its start takes. The
// modules are shared, clean pages; keeping them costs address space, not
// memory in use.

#if defined(__linux__)
#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace {

int Pin(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/libasound_module_") != nullptr)
        // Not loading: promoting the module already there to never unload.
        dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace

void KeepHostPluginsResident()
{
    dl_iterate_phdr(&Pin, nullptr);
}
#else
void KeepHostPluginsResident() {}
#endif
