#include "form/controls.h"

namespace tavelon {

namespace {
constexpr int kShortMin = -32768;
constexpr int kShortMax = 32767;
} // namespace

Control::Control(const QString &name, int index, QObject *parent)
    : QObject(parent), m_name(name), m_index(index)
{}

bool Control::setCaption(const QString &caption)
{
    if (!hasCaption())
        return false;
    if (m_caption != caption) {
        m_caption = caption;
        emit captionChanged();
    }
    return true;
}

bool Control::setToolTip(const QString &toolTip)
{
    if (!hasToolTip())
        return false;
    if (m_toolTip != toolTip) {
        m_toolTip = toolTip;
        emit toolTipChanged();
    }
    return true;
}

bool Control::setItem(int, const QString &)
{
    return false;
}

void Control::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    emit enabledChanged(enabled);
}

void Label::setForeColor(const QColor &c)
{
    m_foreColor = c;
    emit colorsChanged();
}

void Label::setBackColor(const QColor &c)
{
    m_backColor = c;
    emit colorsChanged();
}

void Label::setFont(const QFont &f)
{
    m_font = f;
    emit fontChanged();
}

void CommandButton::click()
{
    if (isEnabled())
        emit clicked();
}

void CheckBox::setValue(int value)
{
    if (value != 0 && value != 1)
        return;
    if (m_value == value)
        return;
    m_value = value;
    emit valueChanged();
    emit clicked();
}

void CheckBox::click()
{
    if (isEnabled())
        setValue(m_value ? 0 : 1);
}

void TextBox::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    emit textChanged();
    emit changed();
}

bool ListControl::setItem(int i, const QString &text)
{
    if (i < 0 || i > count())
        return false;
    if (i == count())
        m_items.append(text);
    else
        m_items[i] = text;
    emit itemsChanged();
    return true;
}

void ListControl::addItem(const QString &text)
{
    m_items.append(text);
    emit itemsChanged();
}

void ListControl::clear()
{
    m_items.clear();
    m_listIndex = -1;
    m_text.clear();
    emit itemsChanged();
    emit textChanged();
}

void ListControl::setItems(const QStringList &items)
{
    m_items = items;
    m_listIndex = int(m_items.indexOf(m_text));
    emit itemsChanged();
    emit textChanged();
}

void ListControl::setText(const QString &text)
{
    m_text = text;
    m_listIndex = int(m_items.indexOf(text));
    emit textChanged();
}

bool ListControl::setListIndex(int i)
{
    if (i < -1 || i >= count())
        return false;
    m_listIndex = i;
    m_text = i >= 0 ? m_items.at(i) : QString();
    emit textChanged();
    emit clicked();
    return true;
}

bool ScrollBar::inRange(int v) const
{
    return v >= std::min(m_min, m_max) && v <= std::max(m_min, m_max);
}

bool ScrollBar::setValue(int value)
{
    if (!inRange(value))
        return false;
    if (value != m_value) {
        m_value = value;
        emit valueChanged();
        emit changed();
    }
    return true;
}

bool ScrollBar::setMinimum(int v)
{
    return setLimit(m_min, v);
}

bool ScrollBar::setMaximum(int v)
{
    return setLimit(m_max, v);
}

// A value left outside the new range moves to the limit that was just set.
bool ScrollBar::setLimit(int &limit, int v)
{
    if (v < kShortMin || v > kShortMax)
        return false;
    limit = v;
    emit rangeChanged();
    if (!inRange(m_value)) {
        m_value = v;
        emit valueChanged();
        emit changed();
    }
    return true;
}

void ScrollBar::setSteps(int smallChange, int largeChange)
{
    m_small = smallChange;
    m_large = largeChange;
}

void Picture::setImage(const QImage &img)
{
    m_image = img;
    m_frameSize = QSize();
    emit updated();
}

} // namespace tavelon
