#include "host_quiet.h"

#if defined(__linux__)
#include <dlfcn.h>
#endif

// Probing every ALSA device and looking for a JACK server is how PortAudio
// finds its devices on Linux; both libraries report each miss on stderr by
// default ("ALSA lib pcm.c: ... Unknown PCM", "Cannot connect to server
// socket"). None of it is actionable for a user, and a desktop program that
// prints on every start looks broken. Both libraries are already loaded as
// PortAudio's own dependencies, so their hooks are looked up rather than
// called: this file needs neither's headers and other platforms need nothing.

#if defined(__linux__)
namespace {

void IgnoreAlsa(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJack(const char*) {}

template <typename Setter, typename Handler> void Install(const char* symbol, Handler handler)
{
    if (void* fn = dlsym(RTLD_DEFAULT, symbol))
        reinterpret_cast<Setter>(fn)(handler);
}

} // namespace

void QuietHostLibraries()
{
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using JackHandler = void (*)(const char*);
    Install<int (*)(AlsaHandler)>("snd_lib_error_set_handler", &IgnoreAlsa);
    Install<void (*)(JackHandler)>("jack_set_error_function", &IgnoreJack);
    Install<void (*)(JackHandler)>("jack_set_info_function", &IgnoreJack);
}
#else
void QuietHostLibraries() {}
#endif
