#include "control_groups.h"

#include "static_text.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QRect>

#include <algorithm>

namespace afx {

namespace {

QRect Bounds(const DialogItemTemplate& item)
{
    return {item.x, item.y, item.cx, item.cy};
}

// The smallest group box wholly around control `i`, if any. A box inside a
// box stays where it is, a sibling, as on the platform.
QGroupBox* EnclosingBox(const DialogTemplate& tmpl, const std::vector<QWidget*>& widgets, std::size_t i)
{
    if (qobject_cast<QGroupBox*>(widgets[i]) != nullptr)
        return nullptr;
    std::size_t box = widgets.size();
    for (std::size_t b = 0; b < widgets.size(); ++b) {
        if (qobject_cast<QGroupBox*>(widgets[b]) == nullptr || !Bounds(tmpl.items[b]).contains(Bounds(tmpl.items[i])))
            continue;
        if (box == widgets.size() || Bounds(tmpl.items[box]).contains(Bounds(tmpl.items[b])))
            box = b;
    }
    return box < widgets.size() ? static_cast<QGroupBox*>(widgets[box]) : nullptr;
}

void MoveInto(QWidget* control, QGroupBox* box)
{
    const bool hidden = control->isHidden();
    const QPoint onWindow = control->pos();
    control->setParent(box);
    control->move(onWindow - box->pos());
    control->setHidden(hidden);
}

void DescribeMembers(QGroupBox* box)
{
    const QList<QWidget*> members = box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    StaticText* label = nullptr;
    for (QWidget* member : members) {
        if (label == nullptr)
            label = dynamic_cast<StaticText*>(member);
    }
    for (QWidget* member : members) {
        auto* field = qobject_cast<QLineEdit*>(member);
        if (field == nullptr)
            continue;
        field->setAccessibleName(box->title());
        // A label has one buddy; the platform's boxes here hold one field each.
        if (label != nullptr && label->buddy() == nullptr)
            label->setBuddy(field);
    }
    const bool labelIsFree = label != nullptr && label->buddy() == nullptr;
    for (QWidget* member : members) {
        if (qobject_cast<QAbstractButton*>(member) != nullptr)
            member->setAccessibleDescription(labelIsFree ? label->accessibleName() : box->title());
    }
}

} // namespace

void GroupControls(const DialogTemplate& tmpl, const std::vector<QWidget*>& widgets)
{
    // What is left in the window, in template order, a box standing where
    // its first control stood: the order a screen reader reads the dialog
    // in, which is also the tab order.
    std::vector<QWidget*> readingOrder;
    std::vector<QGroupBox*> boxes;
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        QWidget* place = widgets[i];
        if (QGroupBox* box = EnclosingBox(tmpl, widgets, i)) {
            MoveInto(widgets[i], box);
            if (std::find(boxes.begin(), boxes.end(), box) == boxes.end())
                boxes.push_back(box);
            place = box;
        }
        if (std::find(readingOrder.begin(), readingOrder.end(), place) == readingOrder.end())
            readingOrder.push_back(place);
    }
    for (QGroupBox* box : boxes)
        DescribeMembers(box);
    // Raising restacks the window's children into that order. Stacking shows
    // only where siblings overlap, and the boxes now hold what lay in them.
    for (QWidget* w : readingOrder)
        w->raise();
}

} // namespace afx
