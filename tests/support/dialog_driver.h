#pragma once

// Drives a dialog's controls through Qt, as user actions would arrive.

#include "window_impl.h"
#include "wnd.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QWidget>

#include <string_view>

namespace testsupport {

inline QWidget* Widget(const CWnd& dialog, int id)
{
    return afx::WindowImpl::WidgetOf(dialog.GetDlgItem(id));
}

inline QWidget* Window(const CWnd& dialog)
{
    return afx::WindowImpl::WidgetOf(&dialog);
}

// Clicks a button (its clicked signal, as a mouse release would emit it).
inline void Click(const CWnd& dialog, int id)
{
    if (auto* button = qobject_cast<QAbstractButton*>(Widget(dialog, id)))
        button->click();
}

// Replaces a field's text as an edit by the user would.
inline void SetText(const CWnd& dialog, int id, std::u16string_view text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(Widget(dialog, id)))
        edit->setText(afx::ToQString(text));
}

} // namespace testsupport
