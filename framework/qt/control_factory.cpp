#include "control_factory.h"

#include "control_groups.h"
#include "dialog_manager.h"
#include "edit_control.h"
#include "static_text.h"
#include "window_binding.h"
#include "window_impl.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <qdrawutil.h>

#include <cmath>
#include <string_view>
#include <vector>

namespace afx {

QFont TemplateFont(const DialogTemplate& tmpl, const QWidget* screenOf)
{
    const QString face = ToQString(tmpl.fontFace);
    // Song/Ming faces stand in for the platform's SimSun, best match first.
    QFont::insertSubstitutions(
        QStringLiteral(u"宋体"),
        {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW")});
    QFont font(face);
    const qreal dpi =
        screenOf != nullptr && screenOf->screen() != nullptr ? screenOf->screen()->logicalDotsPerInchY() : 96.0;
    font.setPixelSize(static_cast<int>(std::lround(tmpl.pointSize * dpi / 72.0)));
    font.setItalic(tmpl.italic);
    if (tmpl.weight >= 700)
        font.setBold(true);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) : m_emPx(font.pixelSize() > 0 ? font.pixelSize() : 16) {}

// Rounded as the platform's MulDiv rounds.
int DialogUnits::X(int du) const
{
    return static_cast<int>(std::lround(du * m_emPx / 8.0));
}

// An em is as high as it is wide, so both directions share one scale.
int DialogUnits::Y(int du) const
{
    return X(du);
}

namespace {

// WS_EX_DLGMODALFRAME gives a control a raised double edge. Qt's push
// buttons are raised already; radio buttons get the edge drawn around them.
class FramedRadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void paintEvent(QPaintEvent*) override
    {
        // The edge takes its width from inside, as a non-client edge would.
        constexpr int kEdge = 2;
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.rect.adjust(kEdge + 1, kEdge, -kEdge, -kEdge);
        painter.drawControl(QStyle::CE_RadioButton, option);
        qDrawShadePanel(&painter, rect(), palette(), false, kEdge);
    }
};

QWidget* MakeButton(const DialogItemTemplate& item, QWidget& parent)
{
    const QString text = ToQString(item.text);
    switch (item.style & BS_TYPEMASK) {
    case BS_AUTORADIOBUTTON:
        if (item.exStyle & WS_EX_DLGMODALFRAME)
            return new FramedRadioButton(text, &parent);
        return new QRadioButton(text, &parent);
    case BS_GROUPBOX: {
        // The platform runs the frame's top line through the middle of the
        // title instead of below it; the template's layout assumes so.
        auto* box = new QGroupBox(text, &parent);
        const int half = box->fontMetrics().height() / 2;
        box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                          " margin-top: %1px; }"
                                          "QGroupBox::title { subcontrol-origin: margin; left: 8px;"
                                          " padding: 0 2px; }")
                               .arg(half));
        return box;
    }
    case BS_DEFPUSHBUTTON: {
        auto* button = new QPushButton(text, &parent);
        button->setDefault(true);
        return button;
    }
    default:
        return new QPushButton(text, &parent);
    }
}

QWidget* MakeEdit(const DialogItemTemplate& item, QWidget& parent)
{
    auto* edit = new EditControl(ToQString(item.text), (item.style & ES_NUMBER) != 0, &parent);
    edit->setFrame((item.style & WS_BORDER) != 0);
    return edit;
}

QWidget* MakeStatic(const DialogItemTemplate& item, QWidget& parent)
{
    return new StaticText(ToQString(item.text), &parent);
}

QWidget* MakeControl(const DialogItemTemplate& item, QWidget& parent)
{
    const std::u16string_view cls = item.windowClass;
    if (cls == u"button")
        return MakeButton(item, parent);
    if (cls == u"edit")
        return MakeEdit(item, parent);
    return MakeStatic(item, parent);
}

void Connect(QWidget* widget, CWnd& control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [&control] { WindowImpl::Notify(control, BN_CLICKED); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QObject::connect(edit, &QLineEdit::textChanged, edit, [&control] { WindowImpl::Notify(control, EN_CHANGE); });
    }
}

// Static texts are transparent to the mouse on the platform. So are group
// boxes; here each holds the controls inside it (see control_groups.h), and
// passes a click on its empty part on to the dialog.
bool TransparentToMouse(const QWidget* widget)
{
    return dynamic_cast<const StaticText*>(widget) != nullptr;
}

// A radio button without a tab stop still takes the focus from a click or an
// arrow key, and Qt then gives it the tab stop and takes it from the others
// in its group: the platform's rule for a user's choice, under which the
// checked button of a group is its tab stop.
Qt::FocusPolicy FocusPolicyOf(const DialogItemTemplate& item, const QWidget* widget)
{
    if (TransparentToMouse(widget) || qobject_cast<const QGroupBox*>(widget) != nullptr)
        return Qt::NoFocus;
    return (item.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

} // namespace

void CreateControls(const DialogTemplate& tmpl, QWidget& window, CWnd& dialog, DialogControls& controls)
{
    const DialogUnits du(window.font());
    std::vector<QWidget*> widgets;
    for (const DialogItemTemplate& item : tmpl.items) {
        QWidget* widget = MakeControl(item, window);
        widget->setGeometry(du.X(item.x), du.Y(item.y), du.X(item.cx), du.Y(item.cy));
        widget->setVisible((item.style & WS_VISIBLE) != 0);
        widgets.push_back(widget);
    }
    GroupControls(tmpl, widgets);

    auto* manager = new DialogManager(&window);
    QWidget* previousTabStop = nullptr;
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const DialogItemTemplate& item = tmpl.items[i];
        QWidget* widget = widgets[i];
        widget->setFocusPolicy(FocusPolicyOf(item, widget));
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, TransparentToMouse(widget));
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousTabStop != nullptr)
                QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        }

        manager->Add(widget, item.style);

        auto control = std::make_unique<CWnd>();
        WindowImpl::Attach(*control, widget, &dialog, item.id);
        Connect(widget, *control);
        controls.byId.emplace_back(item.id, control.get());
        controls.owned.push_back(std::move(control));
    }
    manager->Install();
}

} // namespace afx
