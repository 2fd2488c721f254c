#include "ui/messagebox.h"

#include <QApplication>
#include <QPushButton>

#include "form/showntexts.h"

namespace tavelon {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// While a box is open the pointer is the arrow, also when the program shows the busy pointer.
class ArrowCursorScope
{
public:
    ArrowCursorScope() : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursorScope()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }
    ArrowCursorScope(const ArrowCursorScope &) = delete;
    ArrowCursorScope &operator=(const ArrowCursorScope &) = delete;

private:
    bool m_active;
};

} // namespace

void MessageBoxService::configure(QMessageBox &box, const MainForm &form, const QString &title,
                                  const QString &text, MessageButtons buttons, MessageIcon icon,
                                  MessageAnswer defaultAnswer)
{
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(boxIcon(icon));
    if (buttons == MessageButtons::YesNo) {
        // Any default but No means the first button, as the classic message box has it.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(defaultAnswer == MessageAnswer::No ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(shownText(form, ShownText::MessageYes));
        box.button(QMessageBox::No)->setText(shownText(form, ShownText::MessageNo));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(shownText(form, ShownText::MessageOk));
    }
}

MessageAnswer MessageBoxService::answerOf(QMessageBox::StandardButton button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

MessageAnswer MessageBoxService::show(const QString &title, const QString &text, MessageButtons buttons,
                                      MessageIcon icon, MessageAnswer defaultAnswer)
{
    QMessageBox box(m_parent);
    configure(box, m_form, title, text, buttons, icon, defaultAnswer);
    const ArrowCursorScope arrow;
    const int result = box.exec();
    return answerOf(QMessageBox::StandardButton(result), buttons);
}

} // namespace tavelon
