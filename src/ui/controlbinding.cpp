#include "ui/controlbinding.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>

#include "form/controls.h"
#include "ui/colorswatch.h"
#include "ui/webdingsicon.h"

namespace tavelon {

namespace {

// QLineEdit's own limit when the model sets none.
constexpr int kUnlimitedLength = 32767;

// Fore colour for the enabled states only, so a disabled widget still greys its text; a background
// colour (any but transparent) fills the widget.
void applyColors(QWidget *widget, const QColor &fore, const QColor &back)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, fore);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, fore);
    const bool filled = back.alpha() > 0;
    if (filled)
        pal.setColor(QPalette::Window, back);
    widget->setPalette(pal);
    widget->setAutoFillBackground(filled);
}

void bindLabelLook(Label &model, QWidget *widget)
{
    auto colors = [widget, &model] { applyColors(widget, model.foreColor(), model.backColor()); };
    auto font = [widget, &model] { widget->setFont(model.font()); };
    colors();
    font();
    QObject::connect(&model, &Label::colorsChanged, widget, colors);
    QObject::connect(&model, &Label::fontChanged, widget, font);
}

} // namespace

void showButtonCaption(QAbstractButton *widget, const QString &caption, CaptionStyle style)
{
    const QIcon icon =
        style == CaptionStyle::Symbol && caption.size() == 1 ? webdingsIcon(caption.at(0)) : QIcon();
    widget->setIcon(icon);
    widget->setText(icon.isNull() ? caption : QString());
}

void bindControl(Control &model, QWidget *widget)
{
    auto toolTip = [widget, &model] { widget->setToolTip(model.toolTip()); };
    auto enabled = [widget, &model] { widget->setEnabled(model.isEnabled()); };
    toolTip();
    enabled();
    QObject::connect(&model, &Control::toolTipChanged, widget, toolTip);
    QObject::connect(&model, &Control::enabledChanged, widget, enabled);
}

void bindLabel(Label &model, QLabel *widget)
{
    bindControl(model, widget);
    bindLabelLook(model, widget);
    widget->setTextFormat(Qt::PlainText);
    auto caption = [widget, &model] { widget->setText(model.caption()); };
    caption();
    QObject::connect(&model, &Control::captionChanged, widget, caption);
}

void bindFrame(Label &model, QGroupBox *widget)
{
    bindControl(model, widget);
    bindLabelLook(model, widget);
    auto caption = [widget, &model] { widget->setTitle(model.caption()); };
    caption();
    QObject::connect(&model, &Control::captionChanged, widget, caption);
}

void bindCommandButton(CommandButton &model, QAbstractButton *widget, CaptionStyle style)
{
    bindControl(model, widget);
    auto caption = [widget, &model, style] { showButtonCaption(widget, model.caption(), style); };
    caption();
    QObject::connect(&model, &Control::captionChanged, widget, caption);
    QObject::connect(widget, &QAbstractButton::clicked, &model, [&model] { model.click(); });
}

void bindCheckBox(CheckBox &model, QAbstractButton *widget, CaptionStyle style)
{
    bindControl(model, widget);
    widget->setCheckable(true);
    auto caption = [widget, &model, style] { showButtonCaption(widget, model.caption(), style); };
    auto value = [widget, &model] {
        const QSignalBlocker block(widget);
        widget->setChecked(model.value() == 1);
    };
    caption();
    value();
    QObject::connect(&model, &Control::captionChanged, widget, caption);
    QObject::connect(&model, &CheckBox::valueChanged, widget, value);
    QObject::connect(widget, &QAbstractButton::clicked, &model,
                     [guard = QPointer<QAbstractButton>(widget), &model] {
                         // The handler may run long (playback) and may reset the value (the delete button
                         // springs back); the widget shows whatever the model holds afterwards.
                         model.click();
                         if (guard) {
                             const QSignalBlocker block(guard.data());
                             guard->setChecked(model.value() == 1);
                         }
                     });
}

void bindTextBox(TextBox &model, QLineEdit *widget)
{
    bindControl(model, widget);
    auto text = [widget, &model] {
        const QSignalBlocker block(widget);
        const int limit = model.maxLength() > 0 ? model.maxLength() : kUnlimitedLength;
        widget->setMaxLength(std::max(limit, int(model.text().size())));
        if (widget->text() != model.text())
            widget->setText(model.text());
    };
    text();
    QObject::connect(&model, &TextBox::textChanged, widget, text);
    QObject::connect(widget, &QLineEdit::textEdited, &model,
                     [&model](const QString &t) { model.setText(t); });
}

namespace {

// The widget shows the model's items and, through current, its selection; both follow the model.
template <class Widget, class Current> void followItems(ListControl &model, Widget *widget, Current current)
{
    auto items = [widget, &model, current] {
        {
            const QSignalBlocker block(widget);
            widget->clear();
            widget->addItems(model.items());
        }
        current();
    };
    items();
    QObject::connect(&model, &ListControl::itemsChanged, widget, items);
    QObject::connect(&model, &ListControl::textChanged, widget, current);
}

} // namespace

void bindComboBox(ListControl &model, QComboBox *widget)
{
    bindControl(model, widget);
    // A text outside the list shows as the placeholder, in the normal text colour.
    QPalette pal = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::PlaceholderText, pal.color(group, QPalette::ButtonText));
    widget->setPalette(pal);

    auto current = [widget, &model] {
        const QSignalBlocker block(widget);
        const int i = model.listIndex();
        if (i >= 0 && i < widget->count() && widget->itemText(i) == model.text()) {
            widget->setCurrentIndex(i);
        } else {
            widget->setCurrentIndex(-1);
            widget->setPlaceholderText(model.text());
        }
    };
    followItems(model, widget, current);
    QObject::connect(widget, &QComboBox::activated, &model,
                     [guard = QPointer<QComboBox>(widget), &model, current](int i) {
                         model.setListIndex(i);
                         if (guard)
                             current();
                     });
}

void bindListBox(ListControl &model, QListWidget *widget)
{
    bindControl(model, widget);
    auto current = [widget, &model] {
        const QSignalBlocker block(widget);
        const int i = model.listIndex();
        if (i >= 0 && i < widget->count()) {
            widget->setCurrentRow(i);
        } else {
            widget->setCurrentRow(-1);
            widget->clearSelection();
        }
    };
    followItems(model, widget, current);
    QObject::connect(widget, &QListWidget::currentRowChanged, &model,
                     [guard = QPointer<QListWidget>(widget), &model, current](int row) {
                         if (row >= 0)
                             model.setListIndex(row);
                         if (guard)
                             current();
                     });
}

void bindScrollBar(ScrollBar &model, QScrollBar *widget)
{
    bindControl(model, widget);
    auto value = [widget, &model] {
        const QSignalBlocker block(widget);
        widget->setValue(model.value());
    };
    // A minimum above the maximum (an empty clip: 0 and -1) leaves the bar at its one value.
    auto range = [widget, &model, value] {
        {
            const QSignalBlocker block(widget);
            widget->setRange(model.minimum(), model.maximum());
            widget->setSingleStep(model.smallChange());
            widget->setPageStep(model.largeChange());
        }
        value();
    };
    range();
    QObject::connect(&model, &ScrollBar::rangeChanged, widget, range);
    QObject::connect(&model, &ScrollBar::valueChanged, widget, value);
    QObject::connect(widget, &QScrollBar::valueChanged, &model,
                     [guard = QPointer<QScrollBar>(widget), &model, value](int v) {
                         if (!model.setValue(v) && guard)
                             value();
                     });
}

void bindSwatch(Picture &model, ColorSwatch *widget)
{
    bindControl(model, widget);
    auto color = [widget, &model] { widget->setColor(model.backColor()); };
    color();
    QObject::connect(&model, &Picture::updated, widget, color);
    QObject::connect(widget, &ColorSwatch::clicked, &model, [&model] { model.click(); });
}

} // namespace tavelon
