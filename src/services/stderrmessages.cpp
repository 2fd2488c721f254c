#include "services/stderrmessages.h"

#include <cstdio>

namespace tavelon {

namespace {

QString iconWord(MessageIcon icon, const MessageWords &words)
{
    switch (icon) {
    case MessageIcon::Stop:
        return words.error;
    case MessageIcon::Question:
        return words.question;
    case MessageIcon::Warning:
        return words.warning;
    case MessageIcon::Information:
        return words.information;
    case MessageIcon::None:
        break;
    }
    return QString();
}

QString answerWord(MessageAnswer answer, const MessageWords &words)
{
    switch (answer) {
    case MessageAnswer::Yes:
        return words.yes;
    case MessageAnswer::No:
        return words.no;
    case MessageAnswer::Ok:
        break;
    }
    return words.ok;
}

} // namespace

MessageAnswer StderrMessages::answerFor(MessageButtons buttons) const
{
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (m_questionAnswer && *m_questionAnswer != MessageAnswer::Ok)
        return *m_questionAnswer;
    return MessageAnswer::No; // no answer given is No, whatever the box's default button
}

MessageAnswer StderrMessages::show(const QString &title, const QString &text, MessageButtons buttons,
                                   MessageIcon icon, MessageAnswer)
{
    const MessageAnswer answer = answerFor(buttons);
    const QString line = formatLine(title, text, buttons, icon, answer, m_words) + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    return answer;
}

QString StderrMessages::formatLine(const QString &title, const QString &text, MessageButtons buttons,
                                   MessageIcon icon, MessageAnswer answer, const MessageWords &words)
{
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));

    QString line = title + QLatin1String(": ");
    const QString word = iconWord(icon, words);
    if (!word.isEmpty())
        line += word + QLatin1String(": ");
    line += flat;
    if (buttons == MessageButtons::YesNo)
        line += QStringLiteral(" (%1/%2) -> %3").arg(words.yes, words.no, answerWord(answer, words));
    return line;
}

} // namespace tavelon
