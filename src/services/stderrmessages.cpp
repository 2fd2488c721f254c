#include "services/stderrmessages.h"

#include <cstdio>

namespace tavelon {

namespace {

QString iconWord(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QStringLiteral("Error");
    case MessageIcon::Question:
        return QStringLiteral("Question");
    case MessageIcon::Warning:
        return QStringLiteral("Warning");
    case MessageIcon::Information:
        return QStringLiteral("Information");
    case MessageIcon::None:
        break;
    }
    return QString();
}

QString answerWord(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Yes:
        return QStringLiteral("Yes");
    case MessageAnswer::No:
        return QStringLiteral("No");
    case MessageAnswer::Ok:
        break;
    }
    return QStringLiteral("OK");
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
    const QString line = formatLine(title, text, buttons, icon, answer) + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    return answer;
}

QString StderrMessages::formatLine(const QString &title, const QString &text, MessageButtons buttons,
                                   MessageIcon icon, MessageAnswer answer)
{
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));

    QString line = title + QLatin1String(": ");
    const QString word = iconWord(icon);
    if (!word.isEmpty())
        line += word + QLatin1String(": ");
    line += flat;
    if (buttons == MessageButtons::YesNo)
        line += QLatin1String(" (Yes/No) -> ") + answerWord(answer);
    return line;
}

} // namespace tavelon
