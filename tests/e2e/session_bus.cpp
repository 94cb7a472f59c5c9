#include "session_bus.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace e2e {

namespace {

// The daemon listens once a connection to its socket succeeds.
bool Accepts(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    std::strcpy(address.sun_path, socketPath.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool accepted = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return accepted;
}

} // namespace

bool SessionBus::Start(const std::string& dir, std::string* error)
{
    const std::string socket = dir + "/bus";
    // No display: the accessibility bus would advertise itself on it, where
    // nothing of ours looks.
    if (!m_daemon.Start(
            {"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket},
            {{"XDG_RUNTIME_DIR", dir + "/run"}, {"DISPLAY", ""}}, dir + "/dbus-daemon.log", error))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Accepts(socket)) {
        if (!m_daemon.Running() || std::chrono::steady_clock::now() > deadline) {
            *error = "dbus-daemon did not listen on " + socket + ": " + m_daemon.Stderr();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_address = "unix:path=" + socket;
    return true;
}

} // namespace e2e
