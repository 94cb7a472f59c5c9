#pragma once

// Where the generator's controls are on screen: the template's dialog units
// scaled by the window's actual size, so that clicks land whatever font the
// platform chose.

#include "x_session.h"

#include <string>
#include <string_view>

namespace e2e {

class DialogGeometry {
  public:
    // Measures the dialog `window`. With `exactUnits` its size must be two
    // pixels to the unit, as the Linux layout promises. Returns what is
    // wrong with the window, or an empty string.
    std::string Measure(XSession& x, Window window, bool exactUnits);

    // The centre of control `id`, in root coordinates.
    Point Centre(int id) const;

  private:
    Point m_origin;
    double m_unitX = 2.0, m_unitY = 2.0;
};

// Into field `id`, all its text selected. The classic edit control knows no
// Ctrl+A; Home and Shift+End both do.
void SelectField(XSession& x, const DialogGeometry& dialog, int id);

// Field `id`'s text replaced by typing `text` over it.
void Retype(XSession& x, const DialogGeometry& dialog, int id, std::string_view text);

} // namespace e2e
