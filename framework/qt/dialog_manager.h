#pragma once

// The platform's dialog manager keyboard rules that Qt does not share:
// arrow keys move through a group of buttons in template order (not screen
// order), wrapping at the group's ends, and on an auto radio button the move
// selects it and counts as a click. Tab order, Enter on the default button
// and Escape are Qt's own and already match.

#include <QObject>

#include <cstdint>
#include <vector>

class QWidget;

namespace afx {

class DialogManager : public QObject {
  public:
    explicit DialogManager(QObject* parent) : QObject(parent) {}

    // Controls in template order, each with its window style; call once per
    // control, then Install.
    void Add(QWidget* control, std::uint32_t style);
    void Install();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Control {
        QWidget* widget;
        std::uint32_t style;
    };
    // Index of the control an arrow key moves to from `from` (`from` itself
    // when the group holds nothing else that can take the focus).
    std::size_t NextInGroup(std::size_t from, bool forward) const;

    std::vector<Control> m_controls;
};

} // namespace afx
