#pragma once

// What stands behind a CWnd on Qt. Private to the framework: application
// headers only see the opaque pointer.

#include "wnd.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>

class CDialog;

namespace afx {

// Delivers the window's timers as WM_TIMER on the UI thread.
class TimerHost : public QObject {
  public:
    explicit TimerHost(CWnd* owner) : m_owner(owner) {}
    UINT_PTR Set(UINT_PTR id, UINT elapse);
    bool Kill(UINT_PTR id);
    void KillAll();

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    CWnd* m_owner;
    std::map<UINT_PTR, int> m_timers; // window timer id -> Qt timer id
};

struct WindowImpl {
    WindowImpl(CWnd& owner, QWidget* w) : window(w), timers(&owner) {}

    QPointer<QWidget> window;
    TimerHost timers;

    // The Qt widget behind a window, or nullptr.
    static QWidget* WidgetOf(const CWnd* wnd)
    {
        return wnd != nullptr && wnd->m_impl ? wnd->m_impl->window.data() : nullptr;
    }

    // Gives `wnd` a window: `widget`, a child control `id` of `parent`.
    static void Attach(CWnd& wnd, QWidget* widget, CWnd* parent, int id);

    // Builds the dialog's window and controls from its template and
    // initialises it as the platform's dialog manager would: OnInitDialog,
    // the focus, the place on the screen.
    static void OpenDialog(CDialog& dialog);
    // Sends a control's notification to its dialog, as WM_COMMAND.
    static void Notify(CWnd& control, UINT code);
};

// Converts between the framework's UTF-16 text and Qt's.
QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

} // namespace afx
