#include "dialog_geometry.h"

#include "tonegen_dialog.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace e2e {

std::string DialogGeometry::Measure(XSession& x, Window window, bool exactUnits)
{
    const DialogTemplate& tmpl = g_toneGenDialogTemplate;
    Point size;
    std::tie(m_origin, size) = x.Inside(window);
    const std::string measured = std::to_string(size.x) + "x" + std::to_string(size.y);
    if (exactUnits && (size.x != 2 * tmpl.cx || size.y != 2 * tmpl.cy))
        return "the dialog is " + measured + " pixels, not two to the dialog unit";
    m_unitX = static_cast<double>(size.x) / tmpl.cx;
    m_unitY = static_cast<double>(size.y) / tmpl.cy;
    // Whatever the font, and up to 200 % scaling, a unit this far off means
    // the window is not the dialog the clicks are aimed at.
    if (m_unitX < 1.5 || m_unitX > 6.0 || m_unitY < 1.5 || m_unitY > 6.0)
        return "a " + measured + " window is not the dialog";
    return {};
}

Point DialogGeometry::Centre(int id) const
{
    const auto item = std::ranges::find(g_toneGenDialogTemplate.items, id, &DialogItemTemplate::id);
    if (item == g_toneGenDialogTemplate.items.end())
        return m_origin;
    return {m_origin.x + static_cast<int>(std::lround((item->x + item->cx / 2.0) * m_unitX)),
            m_origin.y + static_cast<int>(std::lround((item->y + item->cy / 2.0) * m_unitY))};
}

void SelectField(XSession& x, const DialogGeometry& dialog, int id)
{
    x.Click(dialog.Centre(id));
    x.Key(XK_Home);
    x.Key(XK_End, {XK_Shift_L});
}

void Retype(XSession& x, const DialogGeometry& dialog, int id, std::string_view text)
{
    SelectField(x, dialog, id);
    if (text.empty())
        x.Key(XK_BackSpace);
    else
        x.Type(text);
}

} // namespace e2e
