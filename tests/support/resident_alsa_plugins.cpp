// ALSA loads its plugins with dlopen and unloads them when PortAudio
// terminates. A sanitizer reporting at exit can then no longer name the
// plugin behind an allocation, which makes its reports unreadable and
// impossible to suppress precisely. Keeping the plugins resident for the
// life of the test process leaves their names in every stack.
//
// Not under ThreadSanitizer: it reports races while the plugin is still
// loaded and has no leak check at exit, and on every dlopen and dlclose it
// walks all loaded modules. Pinning would add the hundred-odd libraries of
// the codec plugins to each of those walks, and re-initialising PortAudio
// makes dozens of them.

#include <dirent.h>
#include <dlfcn.h>

#include <string>

namespace {

const bool s_pinned = [] {
#if !defined(__SANITIZE_THREAD__)
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/alsa-lib", "/usr/lib/aarch64-linux-gnu/alsa-lib",
                            "/usr/lib/alsa-lib", "/usr/lib64/alsa-lib"}) {
        DIR* d = opendir(dir);
        if (d == nullptr)
            continue;
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.rfind("libasound_module_", 0) == 0)
                dlopen((std::string(dir) + "/" + name).c_str(), RTLD_LAZY | RTLD_NODELETE);
        }
        closedir(d);
    }
#endif
    return true;
}();

} // namespace
