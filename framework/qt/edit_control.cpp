#include "edit_control.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace afx {

namespace {

QString DigitsOf(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

QString FirstLine(QString text)
{
    const qsizetype end = text.indexOf(u'\n');
    if (end >= 0) {
        text.truncate(end);
        if (text.endsWith(u'\r'))
            text.chop(1);
    }
    return text;
}

// Qt's line edit inserts the printable text of keys pressed without Ctrl,
// Alt or Meta; those are the typed characters.
bool TypesText(const QKeyEvent& event)
{
    return !event.text().isEmpty() && event.text().front().isPrint() &&
           (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
}

} // namespace

EditControl::EditControl(const QString& text, bool digitsOnly, QWidget* parent)
    : QLineEdit(text, parent), m_digitsOnly(digitsOnly)
{
    setAcceptDrops(false);
}

void EditControl::Paste(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString text = FirstLine(QGuiApplication::clipboard()->text(mode));
    // As Qt's own paste does, an empty one still deletes a selection.
    if (!text.isEmpty() || hasSelectedText())
        insert(text);
}

void EditControl::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        Paste();
        event->accept();
        return;
    }
    if (m_digitsOnly && TypesText(*event) && DigitsOf(event->text()) != event->text()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void EditControl::inputMethodEvent(QInputMethodEvent* event)
{
    const QString digits = DigitsOf(event->commitString());
    if (!m_digitsOnly || digits == event->commitString()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // A commit reaches the platform's control as one typed character after
    // another, each filtered on its own.
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(digits, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void EditControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        Paste(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void EditControl::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    // Qt's menu pastes through Qt's own paste, which knows nothing of lines.
    // Its action gives way to one of ours with the same text and state. Qt
    // 6.8 names it and connects it by function pointer; Qt 6.4 leaves it
    // unnamed and connects it by name, which is how it is recognised there.
    for (QAction* theirs : menu->actions()) {
        if (theirs->objectName() != QLatin1String("edit-paste") &&
            !QObject::disconnect(theirs, SIGNAL(triggered()), this, SLOT(paste())))
            continue;
        auto* ours = new QAction(theirs->icon(), theirs->text(), menu);
        ours->setObjectName(theirs->objectName());
        ours->setEnabled(theirs->isEnabled());
        connect(ours, &QAction::triggered, this, [this] { Paste(); });
        menu->insertAction(theirs, ours);
        menu->removeAction(theirs);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace afx
