#pragma once

// A private X server for driving the real program the way a user does: an
// Xvfb of our own (it picks a free display itself) and a client connection
// that finds top-level windows and sends input through XTest.
//
// No window manager runs, so nothing moves windows or hands out focus:
// where a window appears is where the program put it, and Focus() does the
// one thing a window manager would have done for us. Nor does a clipboard
// manager: the session itself can hold a selection (the clipboard, or the
// primary selection a middle click pastes) for the program to paste from.

#include "child_process.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>

// Xlib stays out of this header: its macros (None, Bool, Status) break
// other headers, GoogleTest's among them.
struct _XDisplay;

namespace e2e {

using Window = unsigned long; // an X resource id, as Xlib's Window
inline constexpr Window kNoWindow = 0;

struct Point {
    int x = 0, y = 0;
};

class XSession {
  public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts Xvfb (its log goes to `logPath`, whose folder also takes the
    // selections' texts) and connects to it. Returns false and sets *error
    // when either fails or XTest is missing.
    bool Start(const std::string& logPath, std::string* error);
    void Stop();

    // ":N", for the DISPLAY of programs started against this server.
    const std::string& DisplayName() const { return m_displayName; }

    // Mapped children of the root window.
    std::set<Window> MappedTopLevels();
    // _NET_WM_NAME, else WM_NAME; empty for a window that has gone.
    std::string Title(Window w);
    // _NET_WM_PID, or -1.
    pid_t Pid(Window w);

    // Polls until a mapped top-level window satisfies `match`; kNoWindow on timeout.
    Window WaitForWindow(const std::function<bool(Window)>& match, std::chrono::milliseconds timeout);
    // A mapped top-level window with exactly this title that is not in `known`.
    Window WaitForNewWindow(std::string_view title, const std::set<Window>& known, std::chrono::milliseconds timeout);

    // The window's inside: its position in root coordinates, and its size.
    std::pair<Point, Point> Inside(Window w);

    void Focus(Window w);
    // A button (1 left, 2 middle) down and up at a root position.
    void Click(Point p, unsigned button = 1);
    // Presses and releases `key` while `modifiers` are held.
    void Key(unsigned long keysym, std::initializer_list<unsigned long> modifiers = {});
    // One key per character; letters and digits only.
    void Type(std::string_view text);
    // What a window manager sends when the user clicks the close box.
    void SendDeleteWindow(Window w);

    // Takes the selection `selection` ("CLIPBOARD", "PRIMARY") with `text`,
    // and serves it as UTF8_STRING or STRING to whoever asks, from a thread
    // of its own, until the session stops or another client takes it.
    // Returns once the selection is ours.
    bool OwnSelection(std::string_view selection, std::string text);
    // Waits until a client has asked, since the selection was last taken,
    // for its targets (`forText` false) or for its text.
    bool WaitUntilAsked(std::string_view selection, bool forText, std::chrono::milliseconds timeout);

  private:
    class SelectionOwner;

    std::unique_ptr<SelectionOwner> m_selections;
    testsupport::ChildProcess m_xvfb;
    _XDisplay* m_display = nullptr;
    std::string m_displayName;
};

} // namespace e2e
