#include "dialog_driver.h"

#include "window_impl.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace testsupport {

QWidget* Widget(const CWnd& dialog, int id)
{
    return afx::WindowImpl::WidgetOf(dialog.GetDlgItem(id));
}

QWidget* Window(const CWnd& dialog)
{
    return afx::WindowImpl::WidgetOf(&dialog);
}

void Click(const CWnd& dialog, int id)
{
    if (auto* button = qobject_cast<QAbstractButton*>(Widget(dialog, id)))
        button->click();
}

void SetText(const CWnd& dialog, int id, std::u16string_view text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(Widget(dialog, id)))
        edit->setText(afx::ToQString(text));
}

} // namespace testsupport
