#pragma once

// Answers the framework's modal message boxes from inside their own loops,
// recording what each one showed.

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
    MessageBoxAnswerer();
    const std::vector<SeenMessageBox>& Seen() const { return m_seen; }
    void Clear() { m_seen.clear(); }

  private:
    QTimer m_timer;
    std::vector<SeenMessageBox> m_seen;
};

} // namespace testsupport
