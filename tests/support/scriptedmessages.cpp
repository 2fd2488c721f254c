#include "scriptedmessages.h"

namespace tavelon {

MessageAnswer ScriptedMessages::show(const QString &title, const QString &text, MessageButtons buttons,
                                     MessageIcon icon, MessageAnswer defaultAnswer)
{
    MessageAnswer answer = MessageAnswer::Ok;
    if (buttons == MessageButtons::YesNo)
        answer = m_answers.isEmpty() ? defaultAnswer : m_answers.dequeue();
    m_messages.append({title, text, buttons, icon, defaultAnswer, answer});
    return answer;
}

void ScriptedMessages::clear()
{
    m_answers.clear();
    m_messages.clear();
}

} // namespace tavelon
