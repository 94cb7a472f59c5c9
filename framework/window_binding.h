#pragma once

// How framework objects are bound to the platform's windows, as far as that
// is the same on every platform. Private to the framework, and free of the
// platform: the shared sources see this, never a platform's header.

#include <memory>
#include <utility>
#include <vector>

class CDialog;
class CWnd;

namespace afx {

// A dialog's controls by id, in template order. Controls bound with
// DDX_Control point at the application's object; the rest at objects owned
// here.
struct DialogControls {
    std::vector<std::pair<int, CWnd*>> byId;
    std::vector<std::unique_ptr<CWnd>> owned;
};

struct WindowBinding {
    // Binds `object` to the dialog's control `id`: GetDlgItem(id) returns it
    // from now on.
    static void Bind(CWnd& object, CWnd& dialog, int id);
    // Lets go of the objects Bind bound, which outlive the window.
    static void UnbindControls(CWnd& dialog);
    // Takes a dying object out of its dialog's controls: a bound member of
    // the dialog dies before the dialog's own destructor takes the window
    // down.
    static void Forget(CWnd& wnd);

    // Each platform's own (its wnd.cpp and dialog.cpp):
    // Gives `object` the window behind `control`.
    static void ShareWindow(CWnd& object, const CWnd& control);
    static void Detach(CWnd& wnd);
    // Takes the dialog's window down and forgets it.
    static void DestroyDialogWindow(CDialog& dialog);
};

} // namespace afx
