#include "message_box_answerer.h"

#include <QAbstractButton>
#include <QApplication>

namespace testsupport {

MessageBoxAnswerer::MessageBoxAnswerer()
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        m_seen.push_back({box->windowTitle(), box->text(), box->icon(), box->windowModality() == Qt::ApplicationModal,
                          box->parentWidget(), box->button(QMessageBox::Ok)->text()});
        box->button(QMessageBox::Ok)->click();
    });
    m_timer.start();
}

} // namespace testsupport
