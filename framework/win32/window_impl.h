#pragma once

// What stands behind a CWnd on Win32: the window handle, and for a dialog the
// objects GetDlgItem hands out. Private to the framework.

#include "platform.h"
#include "wnd.h"

#include <string>

namespace afx {

struct WindowImpl {
    WindowImpl(CWnd& /*owner*/, HWND h) : window(h) {}

    HWND window;
    // Set while a message is on its way through the message map: default
    // processing of it is then left to the platform's dialog manager, which
    // gets the message once the dialog procedure has returned.
    bool* leftToPlatform = nullptr;

    // The window handle behind a CWnd, or nullptr.
    static HWND HandleOf(const CWnd* wnd) { return wnd != nullptr && wnd->m_impl ? wnd->m_impl->window : nullptr; }

    // Gives `wnd` a window: `window`, a child control `id` of `parent`.
    static void Attach(CWnd& wnd, HWND window, CWnd* parent, int id);
    // Marks the message being delivered as one the platform should handle.
    static void LeaveToPlatform(CWnd& wnd);

    // The dialog procedure of every CDialog: it hands the messages to the
    // object's message map.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The framework's UTF-16 text as the platform's wide strings; both are
// 16-bit code units on Windows.
inline const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The full path of the running program's file.
std::u16string ProgramFilePath();

} // namespace afx
