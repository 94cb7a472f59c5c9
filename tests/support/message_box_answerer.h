#pragma once

// Answers the framework's modal message boxes from inside their own loops,
// recording what each one showed.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include <vector>

namespace testsupport {

struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    bool applicationModal;
    QWidget* parent;
    QString okText;
};

class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible())
                return;
            m_seen.push_back({box->windowTitle(), box->text(), box->icon(),
                              box->windowModality() == Qt::ApplicationModal, box->parentWidget(),
                              box->button(QMessageBox::Ok)->text()});
            box->button(QMessageBox::Ok)->click();
        });
        m_timer.start();
    }
    const std::vector<SeenMessageBox>& Seen() const { return m_seen; }
    void Clear() { m_seen.clear(); }

  private:
    QTimer m_timer;
    std::vector<SeenMessageBox> m_seen;
};

} // namespace testsupport
