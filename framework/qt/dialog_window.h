#pragma once

// The Qt window of a CDialog: turns Qt's keyboard and close handling into
// the messages the platform's dialog manager would send.

#include "win_types.h"

#include <QDialog>

class CDialog;

namespace afx {

class DialogWindow : public QDialog {
  public:
    explicit DialogWindow(CDialog* owner, QWidget* parent);

    // Ends the window for real; everything else that would close it is
    // routed to the dialog as a message first.
    void End(int result);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    CDialog* m_owner;
    bool m_ending = false;
};

} // namespace afx
