#include "button.h"

#include "window_impl.h"

#include <QAbstractButton>

int CButton::GetCheck() const
{
    auto* button = qobject_cast<QAbstractButton*>(afx::WindowImpl::WidgetOf(this));
    return button != nullptr && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}
