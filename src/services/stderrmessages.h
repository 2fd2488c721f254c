#pragma once

#include <QString>

#include <optional>

#include "services/messages.h"

namespace tavelon {

// The words a message line is made of beside its text, in the language of the run.
struct MessageWords
{
    QString error = QStringLiteral("Error");
    QString question = QStringLiteral("Question");
    QString warning = QStringLiteral("Warning");
    QString information = QStringLiteral("Information");
    QString yes = QStringLiteral("Yes");
    QString no = QStringLiteral("No");
    QString ok = QStringLiteral("OK");
};

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

    // The words of the lines printed from now on.
    void setWords(const MessageWords &words) { m_words = words; }

    // The line written for a message, without the line end: "title: [icon: ]text", and for a
    // question " (Yes/No) -> answer" in those words. Line breaks inside the text become blanks.
    static QString formatLine(const QString &title, const QString &text, MessageButtons buttons,
                              MessageIcon icon, MessageAnswer answer, const MessageWords &words = {});

private:
    std::optional<MessageAnswer> m_questionAnswer;
    MessageWords m_words;
};

} // namespace tavelon
