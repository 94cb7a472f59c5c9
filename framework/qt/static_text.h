#pragma once

// A left-aligned static text control that breaks its lines as the platform's
// does: at a run of spaces when the next word does not fit, consuming the
// whole run at the break; a word wider than the box is split where it must.
// Texts written for that control rely on it, using runs of spaces to push
// each part onto a line of its own.

#include <QWidget>

#include <functional>
#include <string_view>
#include <vector>

namespace afx {

// Lines of `text` within `maxWidth`, as measured by `width`. Leading spaces
// of the text are kept; spaces at a break are not.
std::vector<std::u16string> WrapStaticText(std::u16string_view text, int maxWidth,
                                           const std::function<int(std::u16string_view)>& width);

class StaticText : public QWidget {
  public:
    StaticText(const QString& text, QWidget* parent);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The lines as currently laid out, for inspection.
    std::vector<std::u16string> lines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_text;
};

} // namespace afx
