#include "static_text.h"

#include "window_impl.h"

#include <QPainter>

namespace afx {

namespace {

bool IsSpace(char16_t c)
{
    return c == u' ';
}

// End of the word or space run starting at `i`.
std::size_t TokenEnd(std::u16string_view text, std::size_t i)
{
    const bool space = IsSpace(text[i]);
    while (i < text.size() && IsSpace(text[i]) == space && text[i] != u'\n')
        ++i;
    return i;
}

} // namespace

std::vector<std::u16string> WrapStaticText(std::u16string_view text, int maxWidth,
                                           const std::function<int(std::u16string_view)>& width)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;        // text[start, end) fits on this line
        std::size_t next = text.size(); // where the line after it starts
        while (end < text.size()) {
            if (text[end] == u'\n') {
                next = end + 1;
                break;
            }
            const std::size_t tokenEnd = TokenEnd(text, end);
            if (width(text.substr(start, tokenEnd - start)) <= maxWidth) {
                end = tokenEnd;
                continue;
            }
            if (IsSpace(text[end])) {
                next = tokenEnd; // the run of spaces at the break is consumed
            } else if (end > start) {
                next = end; // the word moves to the next line
            } else {
                // A word wider than the box: as many characters as fit, at
                // least one, so that the text always advances.
                std::size_t cut = start + 1;
                while (cut < tokenEnd && width(text.substr(start, cut + 1 - start)) <= maxWidth)
                    ++cut;
                end = next = cut;
            }
            break;
        }
        // Spaces ending a line are never drawn.
        std::u16string line(text.substr(start, end - start));
        while (!line.empty() && IsSpace(line.back()))
            line.pop_back();
        lines.push_back(std::move(line));
        start = next;
    }
    return lines;
}

StaticText::StaticText(const QString& text, QWidget* parent) : QLabel(parent)
{
    // The platform's static control shows markup as it is.
    setTextFormat(Qt::PlainText);
    setText(text);
}

void StaticText::setText(const QString& text)
{
    QLabel::setText(text);
    setAccessibleName(text.simplified());
}

std::vector<std::u16string> StaticText::lines() const
{
    const QFontMetrics metrics(font());
    return WrapStaticText(FromQString(text()), width(),
                          [&metrics](std::u16string_view part) { return metrics.horizontalAdvance(ToQString(part)); });
}

void StaticText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QFontMetrics metrics(font());
    int y = metrics.ascent();
    for (const std::u16string& line : lines()) {
        painter.drawText(0, y, ToQString(line));
        y += metrics.height();
    }
}

} // namespace afx
