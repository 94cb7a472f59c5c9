#include "session_bus.h"

#include "wait_until.h"

namespace e2e {

bool SessionBus::Start(const std::string& dir, std::string* error)
{
    const std::string socket = dir + "/bus";
    // No display: the accessibility bus would advertise itself on it, where
    // nothing of ours looks.
    if (!m_daemon.Start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket},
                        testsupport::Environment({{"XDG_RUNTIME_DIR", dir + "/run"}, {"DISPLAY", ""}}),
                        dir + "/dbus-daemon.log", error))
        return false;
    // Generous: it listens within milliseconds.
    if (!testsupport::WaitUntil([&] { return !m_daemon.Running() || testsupport::SocketAccepts(socket); },
                                std::chrono::seconds(10)) ||
        !m_daemon.Running()) {
        *error = "dbus-daemon did not listen on " + socket + ": " + m_daemon.Output();
        return false;
    }
    m_address = "unix:path=" + socket;
    return true;
}

} // namespace e2e
