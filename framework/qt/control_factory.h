#pragma once

// Turns a dialog template into Qt widgets: one widget per control, placed in
// dialog units, wired so that user actions arrive as WM_COMMAND.

#include "dialog_template.h"

#include <QFont>
#include <QSize>

class CWnd;
class QWidget;

namespace afx {

struct DialogControls;

// The template's font, with the requested face mapped to an installed one.
QFont TemplateFont(const DialogTemplate& tmpl, const QWidget* screenOf);

// Dialog units to pixels. A unit is an eighth of the font's em in both
// directions (a quarter of the average half-width character, an eighth of
// the character height), taken from the em rather than the line spacing so
// that the layout does not depend on which face stands in.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    int X(int du) const;
    int Y(int du) const;
    QSize Size(int cx, int cy) const { return {X(cx), Y(cy)}; }

  private:
    int m_emPx;
};

// Makes the template's controls in `window` and lists them in `controls`.
void CreateControls(const DialogTemplate& tmpl, QWidget& window, CWnd& dialog, DialogControls& controls);

} // namespace afx
