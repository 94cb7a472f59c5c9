#pragma once

// On the platform a group box is only a frame drawn around controls that
// are its siblings; a sighted user reads the frame's title as the heading of
// what it surrounds. A screen reader cannot see that, so here each box holds
// the controls that lie inside it, and the texts a sighted user reads
// around a control become what is read with it:
// - a field is named by its box's title and labelled by the box's static
//   text (its range and unit);
// - a button is described by the box's static text when that labels no
//   field (so a rate is heard with its unit), else by the box's title (so
//   two buttons of the same name are told apart by their box).
// Nothing moves on screen.

#include "dialog_template.h"

#include <vector>

class QWidget;

namespace afx {

// `widgets[i]` is the control made from `tmpl.items[i]`, placed in the
// dialog window.
void GroupControls(const DialogTemplate& tmpl, const std::vector<QWidget*>& widgets);

} // namespace afx
