#pragma once

// What stands behind a CWnd on Qt. Private to the framework: application
// headers only see the opaque pointer.

#include "wnd.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

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
    explicit WindowImpl(CWnd* owner, QWidget* w) : widget(w), timers(owner) {}

    QPointer<QWidget> widget;
    TimerHost timers;
    // A dialog's controls by id, in template order. Controls bound with
    // DDX_Control point at the application's object; the rest at objects
    // owned here.
    std::vector<std::pair<int, CWnd*>> controls;
    std::vector<std::unique_ptr<CWnd>> ownedControls;

    // The Qt widget behind a window, or nullptr.
    static QWidget* WidgetOf(const CWnd* wnd);
    // Gives `wnd` a window: `widget`, a child control `id` of `parent`.
    static void Attach(CWnd& wnd, QWidget* widget, CWnd* parent, int id);
    static void Detach(CWnd& wnd);
    // Makes GetDlgItem(id) on `dialog` return `control` from now on.
    static void Replace(CWnd& dialog, int id, CWnd* control);
    // Sends a control's notification to its dialog, as WM_COMMAND.
    static void Notify(CWnd& control, UINT code);
};

// Converts between the framework's UTF-16 text and Qt's.
QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

} // namespace afx
