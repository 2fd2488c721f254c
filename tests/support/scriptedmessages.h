#pragma once

#include <QList>
#include <QQueue>
#include <QString>

#include "services/messages.h"

namespace tavelon {

// One message as the program asked it, with the answer it got.
struct RecordedMessage
{
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    MessageAnswer answer = MessageAnswer::Ok;
};

// Messages for tests: every message is recorded. Questions (Yes/No) take their answers from a queue,
// an empty queue gives the default answer; OK messages are answered Ok and leave the queue alone.
class ScriptedMessages : public MessageService
{
public:
    MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override;

    // The answer to the next question; answers are used in the order queued.
    void queueAnswer(MessageAnswer answer) { m_answers.enqueue(answer); }
    int pendingAnswers() const { return int(m_answers.size()); }

    const QList<RecordedMessage> &messages() const { return m_messages; }
    int count() const { return int(m_messages.size()); }
    // The last message; an empty record when there was none.
    RecordedMessage last() const { return m_messages.isEmpty() ? RecordedMessage() : m_messages.last(); }
    // Forgets the recorded messages and the queued answers.
    void clear();

private:
    QQueue<MessageAnswer> m_answers;
    QList<RecordedMessage> m_messages;
};

} // namespace tavelon
