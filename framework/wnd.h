#pragma once

// CWnd: a window that receives messages. Messages go through the class's
// message map first and fall back to the platform's default processing.

#include "message_map.h"

#include <memory>
#include <string>
#include <string_view>

namespace afx {
struct DialogControls;
struct WindowBinding;
struct WindowImpl;
} // namespace afx

class CWnd : public CCmdTarget {
  public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Delivers a message synchronously. A handler that runs out of memory
    // ends the message with the framework's out-of-memory report.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Repeating timer delivering WM_TIMER with nIDEvent to this window; a
    // second call with the same id replaces the first. Periods are clamped
    // to 10 .. 0x7FFFFFFF ms as the platform does.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The child control with this id, or nullptr.
    CWnd* GetDlgItem(int nID) const;
    std::u16string GetDlgItemText(int nID) const;
    void SetDlgItemText(int nID, std::u16string_view text);
    // An edit control's text.
    std::u16string GetWindowText() const;
    void SetWindowText(std::u16string_view text);

    BOOL IsIconic() const;
    BOOL IsWindow() const { return m_impl != nullptr; }

    // The platform's system metric (SM_CXICON, ...) at the DPI this window
    // is shown at, so that what a window sizes in pixels itself scales with
    // its dialog. Within a window's own members it answers in place of the
    // platform's GetSystemMetrics, which knows only one DPI.
    int GetSystemMetrics(int nIndex) const;

    static const AFX_MSGMAP* GetThisMessageMap();

  protected:
    // Where every message to this window arrives: through the message map
    // (commands the window does not handle go on to the application's), else
    // to DefWindowProc. Keeps the message for Default, and turns a handler's
    // std::bad_alloc into the framework's out-of-memory report.
    LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam);

    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Default processing of the message being handled.
    LRESULT Default();

  private:
    friend struct afx::WindowBinding;
    friend struct afx::WindowImpl;
    friend class CDialog;

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<afx::WindowImpl> m_impl;
    // For a dialog: its controls.
    std::unique_ptr<afx::DialogControls> m_controls;
    CWnd* m_pParent = nullptr; // for child controls: the dialog
    int m_nID = 0;
    // Depth of data exchanges running on this window; while non-zero its
    // controls' notifications are dropped.
    int m_nLockNotify = 0;

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } m_current{};
};
