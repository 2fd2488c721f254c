#pragma once

#include <QMessageBox>
#include <QPointer>

#include "services/messages.h"

class QWidget;

namespace tavelon {

class MainForm;

// Messages as modal message boxes over the window. Enter answers the default button, Escape
// answers No (or OK); the busy pointer gives way to the arrow while a box is open. The buttons'
// texts are the form's shown texts (cmdMsgYes, cmdMsgNo, cmdMsgOk).
class MessageBoxService : public MessageService
{
public:
    explicit MessageBoxService(const MainForm &form, QWidget *parent = nullptr)
        : m_form(form), m_parent(parent)
    {}

    MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override;

    // Sets up box for a message without showing it.
    static void configure(QMessageBox &box, const MainForm &form, const QString &title, const QString &text,
                          MessageButtons buttons, MessageIcon icon, MessageAnswer defaultAnswer);
    // The answer a button of the box stands for; a box closed without a button answers No for a
    // question and OK otherwise.
    static MessageAnswer answerOf(QMessageBox::StandardButton button, MessageButtons buttons);

private:
    const MainForm &m_form;
    QPointer<QWidget> m_parent;
};

} // namespace tavelon
