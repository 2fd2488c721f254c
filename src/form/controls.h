#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

namespace tavelon {

// The main window's controls as plain models. Their values, texts and events behave like the
// classic form controls the program's logic was written against: assigning a value from code
// raises the same event as a user's action, and only when the value changes. Widgets in src/ui
// mirror these models; the logic (and the batch mode) only ever talks to the models.
class Control : public QObject
{
    Q_OBJECT
public:
    // The form's own controls start without a name and get theirs from its name table.
    explicit Control(const QString &name = {}, int index = -1, QObject *parent = nullptr);

    QString name() const { return m_name; }
    int index() const { return m_index; }

    // Whether a language file may set a caption or a tooltip on this control.
    virtual bool hasCaption() const { return true; }
    virtual bool hasToolTip() const { return true; }

    QString caption() const { return m_caption; }
    bool setCaption(const QString &caption);
    QString toolTip() const { return m_toolTip; }
    bool setToolTip(const QString &toolTip);

    // List item i of a list or combo box: i equal to the item count appends, a smaller i replaces,
    // a larger one fails. Controls without items always fail.
    virtual bool setItem(int i, const QString &text);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

signals:
    void captionChanged();
    void toolTipChanged();
    void enabledChanged(bool enabled);

private:
    friend class MainForm;
    void setName(const QString &name, int index)
    {
        m_name = name;
        m_index = index;
    }

    QString m_name;
    int m_index;
    QString m_caption;
    QString m_toolTip;
    bool m_enabled = true;
};

// Labels, frames: caption and colours. The overlay's measuring labels also carry a font.
class Label : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &c);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &c);
    QFont font() const { return m_font; }
    void setFont(const QFont &f);

signals:
    void colorsChanged();
    void fontChanged();

private:
    QColor m_foreColor = Qt::black;
    QColor m_backColor = Qt::transparent;
    QFont m_font;
};

class CommandButton : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    // A user's click: does nothing while the button is disabled.
    void click();

signals:
    void clicked();
};

// Check box, also the push-like toggles (play, delete). Value 0 or 1; a change raises clicked().
class CheckBox : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    int value() const { return m_value; }
    void setValue(int value);
    // A user's click toggles the value (ignored while disabled).
    void click();

signals:
    // valueChanged() is for views and comes first; clicked() is the form's event and may run long
    // (playback runs inside it), so views must not wait for it.
    void valueChanged();
    void clicked();

private:
    int m_value = 0;
};

class TextBox : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    bool hasCaption() const override { return false; }
    QString text() const { return m_text; }
    // Raises changed() when the text differs from the current one. Text past maxLength is kept as
    // given when set from code, as a text box does.
    void setText(const QString &text);
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int n) { m_maxLength = n; }

signals:
    // textChanged() is for views and comes first; changed() is the form's event.
    void textChanged();
    void changed();

private:
    QString m_text;
    int m_maxLength = 0;
};

// Combo box and list box: items, the current text and list index.
class ListControl : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    bool hasCaption() const override { return false; }
    bool setItem(int i, const QString &text) override;

    QStringList items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    QString item(int i) const { return i >= 0 && i < count() ? m_items.at(i) : QString(); }
    void addItem(const QString &text);
    void clear();
    // Replaces all items at once; the text stays and the list index follows it. Raises no click.
    void setItems(const QStringList &items);

    QString text() const { return m_text; }
    // Sets the text; the list index follows the first item equal to it, or -1. Raises no click.
    void setText(const QString &text);
    int listIndex() const { return m_listIndex; }
    // Selects item i (or nothing for -1) and raises clicked(). Out of range fails and is skipped.
    bool setListIndex(int i);

signals:
    void itemsChanged();
    void textChanged();
    void clicked();

private:
    QStringList m_items;
    QString m_text;
    int m_listIndex = -1;
};

// Horizontal scroll bar with 16-bit range. Assigning a value outside min..max fails and is
// skipped; lowering the maximum below the value moves the value along (raising changed()).
class ScrollBar : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    bool hasCaption() const override { return false; }
    int value() const { return m_value; }
    bool setValue(int value);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    bool setMinimum(int v);
    bool setMaximum(int v);
    int smallChange() const { return m_small; }
    int largeChange() const { return m_large; }
    void setSteps(int smallChange, int largeChange);
    // Raises changed() without a new value, as a handler calling the change event directly does.
    void raiseChange() { emit changed(); }

signals:
    // valueChanged() is for views and comes first; changed() is the form's event.
    void valueChanged();
    void changed();
    void rangeChanged();

private:
    bool inRange(int v) const;
    bool setLimit(int &limit, int v);
    int m_value = 0;
    int m_min = 0;
    int m_max = 32767;
    int m_small = 1;
    int m_large = 1;
};

// A picture: an image plus a background colour. The visible preview repaints on updated().
class Picture : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }
    void setImage(const QImage &img);
    // The size of the frame the picture shows, which a reduced decode makes larger than the
    // picture; the picture's own size unless set after the last setImage().
    QSize frameSize() const { return m_frameSize.isValid() ? m_frameSize : m_image.size(); }
    void setFrameSize(QSize size) { m_frameSize = size; }
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &c) { m_backColor = c; }
    // The device pixels a grown window shows the picture's frame at; empty while the view shows
    // the picture as it is. Frames are decoded large enough for it.
    QSize shownPixels() const { return m_shownPixels; }
    void setShownPixels(QSize pixels)
    {
        if (pixels == m_shownPixels)
            return;
        m_shownPixels = pixels;
        emit shownPixelsChanged();
    }
    // Tells the view the image changed (a refresh).
    void refresh() { emit updated(); }
    // A user's click on the picture (the colour swatches).
    void click()
    {
        if (isEnabled())
            emit clicked();
    }

signals:
    void updated();
    void clicked();
    void shownPixelsChanged();

private:
    QImage m_image;
    QSize m_frameSize;
    QSize m_shownPixels;
    QColor m_backColor = Qt::black;
};

} // namespace tavelon
