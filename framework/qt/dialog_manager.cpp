#include "dialog_manager.h"

#include "dialog_template.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace afx {

void DialogManager::Add(QWidget* control, std::uint32_t style)
{
    m_controls.push_back({control, style});
}

void DialogManager::Install()
{
    for (const Control& c : m_controls) {
        if (qobject_cast<QAbstractButton*>(c.widget) != nullptr)
            c.widget->installEventFilter(this);
    }
}

std::size_t DialogManager::NextInGroup(std::size_t from, bool forward) const
{
    // The group runs from the nearest WS_GROUP control at or before `from`
    // to the control before the next WS_GROUP one.
    std::size_t first = from;
    while (first > 0 && (m_controls[first].style & WS_GROUP) == 0)
        --first;
    std::size_t last = from + 1;
    while (last < m_controls.size() && (m_controls[last].style & WS_GROUP) == 0)
        ++last;
    const std::size_t size = last - first;
    for (std::size_t step = 1; step < size; ++step) {
        const std::size_t offset = forward ? step : size - step;
        const std::size_t index = first + (from - first + offset) % size;
        const QWidget* w = m_controls[index].widget;
        if (w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus)
            return index;
    }
    return from;
}

bool DialogManager::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    bool forward = false;
    switch (key->key()) {
    case Qt::Key_Down:
    case Qt::Key_Right:
        forward = true;
        break;
    case Qt::Key_Up:
    case Qt::Key_Left:
        break;
    default:
        return false;
    }
    if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0)
        return false;
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].widget != watched)
            continue;
        const std::size_t next = NextInGroup(i, forward);
        if (next == i)
            return true;
        const Control& target = m_controls[next];
        target.widget->setFocus(Qt::TabFocusReason);
        if ((target.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
            static_cast<QAbstractButton*>(target.widget)->click();
        return true;
    }
    return false;
}

} // namespace afx
