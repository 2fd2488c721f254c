#pragma once

#include <QString>

#include <optional>

#include "services/messages.h"

namespace tavelon {

// Messages for the batch mode: one line per message on stderr. Questions get the configured answer
// (Yes or No); without one, or with Ok configured, they are answered No.
class StderrMessages : public MessageService
{
public:
    explicit StderrMessages(std::optional<MessageAnswer> questionAnswer = std::nullopt)
        : m_questionAnswer(questionAnswer)
    {}

    MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override;

    // The answer show() gives, without printing anything.
    MessageAnswer answerFor(MessageButtons buttons) const;

    // The line written for a message, without the line end: "title: [icon: ]text", and for a
    // question " (Yes/No) -> answer". Line breaks inside the text become blanks.
    static QString formatLine(const QString &title, const QString &text, MessageButtons buttons,
                              MessageIcon icon, MessageAnswer answer);

private:
    std::optional<MessageAnswer> m_questionAnswer;
};

} // namespace tavelon
