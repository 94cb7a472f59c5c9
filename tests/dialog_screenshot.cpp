// Renders the generator's dialog to a PNG, for the README:
//   build/tests/dialog_screenshot docs/dialog.png
// Headless by default; the client area is drawn as the window shows it.

#include "tonegen_dlg.h"
#include "window_impl.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    CToneGenDlg dlg;
    dlg.Create();
    QWidget* window = afx::WindowImpl::WidgetOf(&dlg);
    window->activateWindow();
    QApplication::processEvents();
    const bool saved = window->grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    dlg.DestroyWindow();
    return saved ? 0 : 1;
}
