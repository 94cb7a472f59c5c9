#pragma once

// A private D-Bus session bus, as a desktop session has one: a dbus-daemon
// of our own on a socket in a directory of ours. What it starts on demand
// (the accessibility bus, when a screen reader asks for it) keeps its
// sockets in that directory's run/ and ends when the bus does.

#include "child_process.h"

#include <string>

namespace e2e {

class SessionBus {
  public:
    // `dir` must hold a private run/ directory. False, with *error set, when
    // the daemon does not start listening.
    bool Start(const std::string& dir, std::string* error);
    void Stop() { m_daemon.Kill(); }

    // For DBUS_SESSION_BUS_ADDRESS.
    const std::string& Address() const { return m_address; }

  private:
    testsupport::ChildProcess m_daemon;
    std::string m_address;
};

} // namespace e2e
