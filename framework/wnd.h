#pragma once

// CWnd: a window that receives messages. Messages go through the class's
// message map first and fall back to the platform's default processing.

#include "message_map.h"

#include <memory>
#include <string>
#include <string_view>

namespace afx {
struct WindowImpl;
}

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
    std::u16string GetWindowText() const;
    void SetWindowText(std::u16string_view text);

    void SetFocus();
    BOOL IsIconic() const;
    BOOL IsWindowVisible() const;
    BOOL IsWindow() const { return m_impl != nullptr; }
    int GetDlgCtrlID() const { return m_nID; }

    static const AFX_MSGMAP* GetThisMessageMap();

  protected:
    // Where every message to this window arrives on its way through the
    // message map: keeps the message for Default and turns a handler's
    // std::bad_alloc into the framework's out-of-memory report.
    LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Default processing of the message being handled.
    LRESULT Default();

  private:
    friend struct afx::WindowImpl;
    friend class CDialog;

    std::unique_ptr<afx::WindowImpl> m_impl;
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
