#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "wait_until.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace e2e {

namespace {

// The property's items as Xlib hands them over: a char, short or long
// each for formats 8, 16 and 32.
std::string Property(Display* d, Window w, const char* name)
{
    Atom type;
    int format = 0;
    unsigned long count = 0, rest;
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

// Its own connection, which Xlib locks for the two threads that use it
// (XInitThreads): the test's, which takes selections, and its own, which
// must answer requests for them while the test waits for something else.
class XSession::SelectionOwner {
  public:
    explicit SelectionOwner(Display* display)
        : m_display(display), m_window(XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)),
          m_targets(XInternAtom(display, "TARGETS", False)), m_utf8(XInternAtom(display, "UTF8_STRING", False)),
          m_thread([this] { Run(); })
    {
    }

    ~SelectionOwner()
    {
        // A message to its own window ends the thread's wait for events.
        XEvent stop{};
        stop.xclient = {ClientMessage, 0, False, m_display, m_window, m_targets, 32, {}};
        XSendEvent(m_display, m_window, False, NoEventMask, &stop);
        XFlush(m_display);
        m_thread.join();
        XCloseDisplay(m_display);
    }

    bool Own(std::string_view name, std::string text)
    {
        const Atom selection = Intern(name);
        {
            std::lock_guard lock(m_mutex);
            m_held[selection] = {std::move(text)};
        }
        XSetSelectionOwner(m_display, selection, m_window, CurrentTime);
        return XGetSelectionOwner(m_display, selection) == m_window;
    }

    bool WaitUntilAsked(std::string_view name, bool forText, std::chrono::milliseconds timeout)
    {
        const Atom selection = Intern(name);
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            const auto held = m_held.find(selection);
            return held != m_held.end() && (forText ? held->second.textAsked : held->second.targetsAsked);
        });
    }

  private:
    // What a selection holds, and what clients have asked of it since it was
    // last taken.
    struct Held {
        std::string text;
        bool targetsAsked = false, textAsked = false;
    };

    Atom Intern(std::string_view name) { return XInternAtom(m_display, std::string(name).c_str(), False); }

    void Run()
    {
        for (;;) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == ClientMessage && event.xclient.window == m_window)
                return;
            if (event.type == SelectionRequest)
                Serve(event.xselectionrequest);
        }
    }

    void Serve(const XSelectionRequestEvent& request)
    {
        XSelectionEvent reply{SelectionNotify, 0,    False,       m_display, request.requestor, request.selection,
                              request.target,  None, request.time};
        // Clients from before the property was required name none.
        const Atom property = request.property != None ? request.property : request.target;
        const bool forTargets = request.target == m_targets;
        std::lock_guard lock(m_mutex);
        const auto held = m_held.find(request.selection);
        if (held != m_held.end() && (forTargets || request.target == m_utf8 || request.target == XA_STRING)) {
            const Atom targets[] = {m_targets, m_utf8, XA_STRING};
            // The texts are ASCII, which both encodings spell alike.
            const std::string& value = held->second.text;
            if (forTargets)
                XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(targets), 3);
            else
                XChangeProperty(m_display, request.requestor, property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(value.data()), static_cast<int>(value.size()));
            reply.property = property;
            (forTargets ? held->second.targetsAsked : held->second.textAsked) = true;
        }
        XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(m_display);
        m_changed.notify_all();
    }

    Display* m_display;
    Window m_window;
    Atom m_targets;
    Atom m_utf8;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<Atom, Held> m_held;
    std::thread m_thread; // last: it runs on the members above
};

XSession::XSession() = default;

XSession::~XSession()
{
    Stop();
}

bool XSession::Start(const std::string& logPath, std::string* error)
{
    const auto fail = [&](std::string why) {
        *error = std::move(why);
        Stop();
        return false;
    };
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return fail(std::string("pipe2: ") + std::strerror(errno));
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
    if (number.empty())
        return fail(started ? "Xvfb did not report a display; its log:\n" + m_xvfb.Output() : *error);
    m_displayName = ":" + number;

    // Before any other Xlib call: the selection owner shares its connection
    // between two threads.
    XInitThreads();
    // Windows of another process vanish whenever it likes, between listing
    // them and asking about them; such a request fails with BadWindow, which
    // must not end the test program as Xlib's default handler would.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    m_display = XOpenDisplay(m_displayName.c_str());
    if (m_display == nullptr)
        return fail("cannot open display " + m_displayName);
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor))
        return fail("the X server has no XTest extension");
    Display* selections = XOpenDisplay(m_displayName.c_str());
    if (selections == nullptr)
        return fail("cannot open a second connection to " + m_displayName);
    m_selections = std::make_unique<SelectionOwner>(selections);
    return true;
}

void XSession::Stop()
{
    // Before the server goes: Xlib ends the process when a connection breaks.
    m_selections.reset();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    m_xvfb.Stop(std::chrono::seconds(5));
}

std::set<Window> XSession::MappedTopLevels()
{
    std::set<Window> mapped;
    Window root, parent;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return mapped;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable)
            mapped.insert(children[i]);
    }
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

std::pair<Point, Point> XSession::Inside(Window w)
{
    Point origin;
    Window child;
    XTranslateCoordinates(m_display, w, DefaultRootWindow(m_display), 0, 0, &origin.x, &origin.y, &child);
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_display, w, &attributes);
    return {origin, {attributes.width, attributes.height}};
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

void XSession::Key(unsigned long keysym, std::initializer_list<unsigned long> modifiers)
{
    const auto event = [this](unsigned long key, bool down) {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), down ? True : False, CurrentTime);
    };
    for (unsigned long m : modifiers)
        event(m, true);
    event(keysym, true);
    event(keysym, false);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
        event(*m, false);
    XSync(m_display, False);
}

void XSession::Type(std::string_view text)
{
    // Latin-1 keysyms equal the characters for digits and lower-case letters.
    for (char c : text)
        Key(static_cast<unsigned char>(c));
}

bool XSession::OwnSelection(std::string_view selection, std::string text)
{
    return m_selections->Own(selection, std::move(text));
}

bool XSession::WaitUntilAsked(std::string_view selection, bool forText, std::chrono::milliseconds timeout)
{
    return m_selections->WaitUntilAsked(selection, forText, timeout);
}

void XSession::SendDeleteWindow(Window w)
{
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, m_display, w, XInternAtom(m_display, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, w, False, NoEventMask, &event);
    XSync(m_display, False);
}

} // namespace e2e
