#pragma once

// What stands behind a CWnd on Win32: the window handle, and for a dialog the
// objects GetDlgItem hands out. Private to the framework.

#include "wnd.h"

#include <memory>
#include <utility>
#include <vector>

namespace afx {

struct WindowImpl {
    explicit WindowImpl(HWND h) : hwnd(h) {}

    HWND hwnd;
    // A dialog's controls by id, in template order. Controls bound with
    // DDX_Control point at the application's object; the rest at objects
    // owned here.
    std::vector<std::pair<int, CWnd*>> controls;
    std::vector<std::unique_ptr<CWnd>> ownedControls;
    // Set while a message is on its way through the message map: default
    // processing of it is then left to the platform's dialog manager, which
    // gets the message once the dialog procedure has returned.
    bool* leftToPlatform = nullptr;

    // The window handle behind a CWnd, or nullptr.
    static HWND HandleOf(const CWnd* wnd);
    // Gives `wnd` a window: `hwnd`, a child control `id` of `parent`.
    static void Attach(CWnd& wnd, HWND hwnd, CWnd* parent, int id);
    static void Detach(CWnd& wnd);
    // Makes GetDlgItem(id) on `dialog` return `control` from now on.
    static void Replace(CWnd& dialog, int id, CWnd* control);
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
