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
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

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

// Its own connection, used by its own thread only: Xlib connections are not
// to be shared between threads, and the thread must answer requests while
// the test waits for something else.
class XSession::SelectionOwner {
  public:
    explicit SelectionOwner(Display* display) : m_display(display)
    {
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        m_targets = XInternAtom(m_display, "TARGETS", False);
        m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
        XSync(m_display, False);
        if (pipe2(m_wake, O_CLOEXEC) == 0)
            m_thread = std::thread([this] { Run(); });
    }

    ~SelectionOwner()
    {
        if (m_thread.joinable()) {
            {
                std::lock_guard lock(m_mutex);
                m_stop = true;
            }
            Wake();
            m_thread.join();
            close(m_wake[0]);
            close(m_wake[1]);
        }
        XCloseDisplay(m_display);
    }

    bool Own(std::string_view selection, std::string text)
    {
        if (!m_thread.joinable())
            return false;
        std::unique_lock lock(m_mutex);
        m_request = {std::string(selection), std::move(text)};
        m_answered = false;
        Wake();
        m_changed.wait(lock, [this] { return m_answered; });
        return m_owned;
    }

    bool WaitUntilAsked(std::string_view selection, bool forText, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            const auto asked = m_asked.find(std::string(selection));
            return asked != m_asked.end() && (forText ? asked->second.text : asked->second.targets);
        });
    }

  private:
    struct Request {
        std::string selection;
        std::string text;
    };
    // What clients have asked of a selection since it was last taken.
    struct Asked {
        bool targets = false;
        bool text = false;
    };

    void Wake()
    {
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = write(m_wake[1], &byte, 1);
    }

    void Run()
    {
        for (;;) {
            {
                std::lock_guard lock(m_mutex);
                if (m_stop)
                    return;
                if (!m_answered)
                    TakeRequested();
            }
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == SelectionRequest)
                    Serve(event.xselectionrequest);
                else if (event.type == SelectionClear)
                    m_texts.erase(event.xselectionclear.selection);
            }
            pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            poll(fds, 2, 100);
            if (fds[1].revents & POLLIN) {
                char drain[16];
                [[maybe_unused]] const ssize_t n = read(m_wake[0], drain, sizeof drain);
            }
        }
    }

    // With the lock held.
    void TakeRequested()
    {
        const Atom selection = XInternAtom(m_display, m_request.selection.c_str(), False);
        XSetSelectionOwner(m_display, selection, m_window, CurrentTime);
        m_owned = XGetSelectionOwner(m_display, selection) == m_window;
        if (m_owned) {
            m_texts[selection] = m_request.text;
            m_names[selection] = m_request.selection;
            m_asked[m_request.selection] = {};
        }
        m_answered = true;
        m_changed.notify_all();
    }

    void Serve(const XSelectionRequestEvent& request)
    {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        // Clients from before the property was required name none.
        const Atom property = request.property != None ? request.property : request.target;
        const auto text = m_texts.find(request.selection);
        if (text == m_texts.end()) {
            reply.property = None;
        } else if (request.target == m_targets) {
            const Atom targets[] = {m_targets, m_utf8, XA_STRING};
            XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(targets), 3);
            reply.property = property;
        } else if (request.target == m_utf8 || request.target == XA_STRING) {
            // The texts are ASCII, which both encodings spell alike.
            XChangeProperty(m_display, request.requestor, property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text->second.data()),
                            static_cast<int>(text->second.size()));
            reply.property = property;
        } else {
            reply.property = None;
        }
        XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(m_display);
        if (reply.property != None) {
            std::lock_guard lock(m_mutex);
            Asked& asked = m_asked[m_names[request.selection]];
            (request.target == m_targets ? asked.targets : asked.text) = true;
            m_changed.notify_all();
        }
    }

    Display* m_display;
    Window m_window = None;
    Atom m_targets = None;
    Atom m_utf8 = None;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::map<Atom, std::string> m_texts; // the thread's alone
    std::map<Atom, std::string> m_names; // the thread's alone

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    Request m_request;
    bool m_answered = true;
    bool m_owned = false;
    std::map<std::string, Asked> m_asked;
};

XSession::XSession() = default;

XSession::~XSession()
{
    Stop();
}

bool XSession::Start(const std::string& logPath, std::string* error)
{
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
    m_selections.reset();
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

bool XSession::OwnSelection(std::string_view selection, std::string text)
{
    if (!m_selections) {
        Display* display = XOpenDisplay(m_displayName.c_str());
        if (display == nullptr)
            return false;
        m_selections = std::make_unique<SelectionOwner>(display);
    }
    return m_selections->Own(selection, std::move(text));
}

bool XSession::WaitUntilAsked(std::string_view selection, bool forText, std::chrono::milliseconds timeout)
{
    return m_selections && m_selections->WaitUntilAsked(selection, forText, timeout);
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
