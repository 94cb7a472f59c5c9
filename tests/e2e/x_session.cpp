#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "wait_until.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace e2e {

namespace {

// Windows of another process vanish whenever it likes, between listing
// them and asking about them; such a request fails with BadWindow, which
// must not end the test program as Xlib's default handler would.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// The property's items as Xlib hands them over: a char, short or long
// each for formats 8, 16 and 32.
std::string Property(Display* d, Window w, const char* name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long rest = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 4096, False, AnyPropertyType, &type, &format, &count,
                           &rest, &data) != Success ||
        data == nullptr)
        return {};
    const std::size_t size = format == 8 ? 1 : format == 16 ? sizeof(short) : sizeof(long);
    std::string value(reinterpret_cast<const char*>(data), count * size);
    XFree(data);
    return value;
}

} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    Stop();
}

bool XSession::Start(const std::string& logPath, std::string* error)
{
    m_dir = logPath.substr(0, logPath.rfind('/'));
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = std::string("pipe2: ") + std::strerror(errno);
        return false;
    }
    // Xvfb picks a free display itself and writes its number to descriptor
    // 3 once it accepts connections.
    const bool started = m_xvfb.Start({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                                      testsupport::Environment(), logPath, error, fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    pollfd p{fds[0], POLLIN, 0};
    // The bound is for an Xvfb that never comes up; it starts in a fraction of a second.
    while (started && poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        if (started)
            *error = "Xvfb did not report a display; its log:\n" + m_xvfb.Output();
        Stop();
        return false;
    }
    m_displayName = ":" + number;

    XSetErrorHandler(IgnoreXError);
    m_display = XOpenDisplay(m_displayName.c_str());
    if (m_display == nullptr) {
        *error = "cannot open display " + m_displayName;
        Stop();
        return false;
    }
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor)) {
        *error = "the X server has no XTest extension";
        Stop();
        return false;
    }
    return true;
}

void XSession::Stop()
{
    // Before the server goes: Xlib ends the process when a connection breaks.
    m_selections.clear();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    m_xvfb.Stop(std::chrono::seconds(5));
}

std::vector<Window> XSession::MappedTopLevels()
{
    std::vector<Window> mapped;
    Window root, parent;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return mapped;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable)
            mapped.push_back(children[i]);
    }
    if (children != nullptr)
        XFree(children);
    return mapped;
}

std::string XSession::Title(Window w)
{
    std::string title = Property(m_display, w, "_NET_WM_NAME");
    return title.empty() ? Property(m_display, w, "WM_NAME") : title;
}

pid_t XSession::Pid(Window w)
{
    const std::string pid = Property(m_display, w, "_NET_WM_PID");
    long value = -1;
    if (pid.size() == sizeof value)
        std::memcpy(&value, pid.data(), sizeof value);
    return static_cast<pid_t>(value);
}

Window XSession::WaitForWindow(const std::function<bool(Window)>& match, std::chrono::milliseconds timeout)
{
    Window found = None;
    testsupport::WaitUntil(
        [&] {
            for (Window w : MappedTopLevels())
                if (match(w))
                    return (found = w) != None;
            return false;
        },
        timeout);
    return found;
}

Window XSession::WaitForNewWindow(std::string_view title, const std::set<Window>& known,
                                  std::chrono::milliseconds timeout)
{
    return WaitForWindow([&](Window w) { return !known.contains(w) && Title(w) == title; }, timeout);
}

bool XSession::WaitUntilGone(Window w, std::chrono::milliseconds timeout)
{
    return testsupport::WaitUntil(
        [&] {
            XWindowAttributes attributes;
            return !XGetWindowAttributes(m_display, w, &attributes) || attributes.map_state != IsViewable;
        },
        timeout);
}

Point XSession::Origin(Window w)
{
    Point p;
    Window child;
    XTranslateCoordinates(m_display, w, DefaultRootWindow(m_display), 0, 0, &p.x, &p.y, &child);
    return p;
}

Point XSession::Size(Window w)
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(m_display, w, &attributes))
        return {};
    return {attributes.width, attributes.height};
}

void XSession::Focus(Window w)
{
    XSetInputFocus(m_display, w, RevertToParent, CurrentTime);
    XSync(m_display, False);
}

void XSession::Click(Point p, unsigned button)
{
    XTestFakeMotionEvent(m_display, -1, p.x, p.y, CurrentTime);
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

void XSession::KeyEvent(unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), down ? True : False, CurrentTime);
}

void XSession::Key(unsigned long keysym, std::initializer_list<unsigned long> modifiers)
{
    for (unsigned long m : modifiers)
        KeyEvent(m, true);
    KeyEvent(keysym, true);
    KeyEvent(keysym, false);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
        KeyEvent(*m, false);
    XSync(m_display, False);
}

void XSession::Type(std::string_view text)
{
    // Latin-1 keysyms equal the characters for digits and lower-case letters.
    for (char c : text)
        Key(static_cast<unsigned char>(c));
}

bool XSession::OwnSelection(const std::string& selection, const std::string& text)
{
    const std::string file = m_dir + "/selection-" + selection;
    std::ofstream(file) << text;
    const Atom atom = XInternAtom(m_display, selection.c_str(), False);
    testsupport::ChildProcess& owner = m_selections[selection];
    // Its predecessor goes first, so that whoever holds the selection after
    // it is the new one.
    owner.Kill();
    XSync(m_display, False);
    const Window before = XGetSelectionOwner(m_display, atom);
    // -quiet keeps it in the foreground, where it dies with us.
    if (!owner.Start({"xclip", "-quiet", "-selection", selection, "-in", file},
                     testsupport::Environment({{"DISPLAY", m_displayName}}), file + ".log"))
        return false;
    return testsupport::WaitUntil(
        [&] {
            const Window now = XGetSelectionOwner(m_display, atom);
            return now != None && now != before;
        },
        std::chrono::seconds(10));
}

void XSession::SendDeleteWindow(Window w)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, w, False, NoEventMask, &event);
    XSync(m_display, False);
}

} // namespace e2e
