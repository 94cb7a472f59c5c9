#pragma once

// A left-aligned static text control that breaks its lines as the platform's
// does: at a run of spaces when the next word does not fit, consuming the
// whole run at the break; a word wider than the box is split where it must.
// Texts written for that control rely on it, using runs of spaces to push
// each part onto a line of its own.
//
// It is a QLabel so that screen readers meet it as Qt's own labels: role
// label, and, given a buddy, the label of that control.

#include <QLabel>

#include <functional>
#include <string_view>
#include <vector>

namespace afx {

// Lines of `text` within `maxWidth`, as measured by `width`. Leading spaces
// of the text are kept; spaces at a break are not.
std::vector<std::u16string> WrapStaticText(std::u16string_view text, int maxWidth,
                                           const std::function<int(std::u16string_view)>& width);

class StaticText : public QLabel {
  public:
    StaticText(const QString& text, QWidget* parent);

    // Also what screen readers read: the text with each run of spaces, which
    // only breaks its lines, read as one space rather than a long pause.
    void setText(const QString& text);
    // The lines as currently laid out, for inspection.
    std::vector<std::u16string> lines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace afx
