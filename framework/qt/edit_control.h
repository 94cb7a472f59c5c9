#pragma once

// The platform's single-line edit control, where Qt's line edit differs
// from it:
// - with ES_NUMBER only digits can be typed (keys and input-method commits
//   alike), but text that arrives whole goes in as it is, for the data
//   exchange to judge: a paste from the clipboard (keys or menu), the X
//   selection pasted with the middle button (this desktop's other paste),
//   text set through the accessibility interface;
// - a paste takes the text only up to its first line break;
// - nothing can be dropped on it.

#include <QClipboard>
#include <QLineEdit>

namespace afx {

class EditControl : public QLineEdit {
  public:
    EditControl(const QString& text, bool digitsOnly, QWidget* parent);

    // Replaces the selection with the first line of `mode`'s text.
    void Paste(QClipboard::Mode mode = QClipboard::Clipboard);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    bool m_digitsOnly;
};

} // namespace afx
