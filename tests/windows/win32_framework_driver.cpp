// The contract suite's driver on Win32: messages through the platform's
// dialog manager, as a modal loop runs them, and keys as the keyboard would
// deliver them.

#include "framework_driver.h"

#include "window_impl.h"

namespace driver {

namespace {

std::u16string TextOf(HWND hwnd)
{
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    return reinterpret_cast<const char16_t*>(buffer);
}

} // namespace

void Pump(std::chrono::milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds patience)
{
    const auto end = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
            if (root == nullptr || !::IsDialogMessageW(root, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::Sleep(1);
    }
    return true;
}

// The key goes where the keyboard's would, to the focused control, with
// Shift held in the thread's key state, which is what the dialog manager
// and the framework's F1 filter read.
void Press(const CWnd& dialog, Key key)
{
    const bool shift = key == Key::ShiftTab || key == Key::ShiftF1;
    const WPARAM vk = key == Key::Tab || key == Key::ShiftTab ? VK_TAB : VK_F1;
    HWND target = ::GetFocus() != nullptr ? ::GetFocus() : afx::WindowImpl::HandleOf(&dialog);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::PostMessageW(target, WM_KEYDOWN, vk, 1);
    ::PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    Pump(std::chrono::milliseconds(20));
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}

// BM_CLICK is the mouse's press and release on the button.
void Click(const CWnd& dialog, int id)
{
    ::SendMessageW(::GetDlgItem(afx::WindowImpl::HandleOf(&dialog), id), BM_CLICK, 0, 0);
    Pump(std::chrono::milliseconds(20));
}

int FocusedId(const CWnd& dialog)
{
    HWND focus = ::GetFocus();
    return focus != nullptr && ::GetParent(focus) == afx::WindowImpl::HandleOf(&dialog) ? ::GetDlgCtrlID(focus) : 0;
}

Rect WindowRect(const CWnd& dialog)
{
    RECT r{};
    ::GetWindowRect(afx::WindowImpl::HandleOf(&dialog), &r);
    return {r.left, r.top, r.right, r.bottom};
}

Rect WorkArea()
{
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return {r.left, r.top, r.right, r.bottom};
}

// A thread timer keeps running inside the message box's own modal loop; it
// answers the box from there.
struct MessageBoxAnswerer::Impl {
    static std::vector<SeenMessageBox> s_seen;
    UINT_PTR timer = 0;

    static void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = ::FindWindowW(L"#32770", nullptr);
        if (box == nullptr || ::GetDlgItem(box, 0xFFFF) == nullptr)
            return;
        s_seen.push_back({TextOf(box), TextOf(::GetDlgItem(box, 0xFFFF))});
        ::SendMessageW(box, WM_COMMAND, IDOK, 0);
    }
};

std::vector<SeenMessageBox> MessageBoxAnswerer::Impl::s_seen;

MessageBoxAnswerer::MessageBoxAnswerer() : m_impl(std::make_unique<Impl>())
{
    Impl::s_seen.clear();
    m_impl->timer = ::SetTimer(nullptr, 0, 20, &Impl::Answer);
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    ::KillTimer(nullptr, m_impl->timer);
}

const std::vector<SeenMessageBox>& MessageBoxAnswerer::Seen() const
{
    return Impl::s_seen;
}

} // namespace driver
